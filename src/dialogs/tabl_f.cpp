#include "dialogs/tabl_f.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>

#include "common/catalogues.h"
#include "qtbridge/decorations.h"
#include "qtbridge/message_service.h"
#include "qtbridge/qt_text.h"
#include "qtbridge/window_place.h"
#include "workflow/conversion_rules.h"
#include "workflow/sensor_selection.h"

namespace r4860::dialogs {
namespace {

const QPoint kOffset(40, 66);

QLabel* Named(const QString& name, QWidget* parent, int minChars = 0) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    if (minChars > 0) label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QString(minChars, QLatin1Char('0'))));
    return label;
}

// "Tables (*.dat)|*.dat|All files|*.*" as Qt wants it: "Tables (*.dat);;All files (*)".
QString QtFilter(const std::string& filter) {
    const QStringList parts = qtbridge::ToQString(filter).split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        const QString pattern = parts[i + 1] == QStringLiteral("*.*") ? QStringLiteral("*") : parts[i + 1];
        if (!name.contains(QLatin1Char('('))) name += QStringLiteral(" (") + pattern + QLatin1Char(')');
        out << name;
    }
    return out.join(QStringLiteral(";;"));
}

}  // namespace

using qtbridge::ToQString;
using qtbridge::Tr;

TTablF::TTablF(model::ConfigRecord& record, files::Settings& settings, qtbridge::MessageService& messages,
               OpenFileDialog openFile, QPoint mainTopLeft, QWidget* parent)
    : QDialog(parent, qtbridge::DialogFlags()), m_record(record), m_settings(settings), m_messages(messages),
      m_openFile(std::move(openFile)), m_w(workflow::OpenTableWindow(record, settings)) {
    setObjectName(QStringLiteral("TTablF"));
    setWindowTitle(Tr("Table"));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("TablM"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setMinimumSize(m_text->fontMetrics().horizontalAdvance(QString(44, QLatin1Char('0'))), 240);
    m_fileName = Named(QStringLiteral("InpFileN"), this);
    m_load = new QPushButton(Tr("Open"), this);
    m_load->setObjectName(QStringLiteral("TablLoadB"));
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("TablOKB"));
    m_ok->setEnabled(false);
    auto* exit = new QPushButton(Tr("Exit"), this);
    exit->setObjectName(QStringLiteral("TablExitB"));

    QGroupBox* ranges = buildRanges();

    auto* side = new QVBoxLayout;
    side->addWidget(ranges);
    side->addStretch(1);
    side->addWidget(m_load);
    side->addWidget(m_ok);
    side->addWidget(exit);
    auto* top = new QHBoxLayout;
    top->addWidget(m_text, 1);
    top->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_fileName);
    layout->addLayout(top);

    connect(m_load, &QPushButton::clicked, this, &TTablF::TablLoadBClick);
    connect(m_ok, &QPushButton::clicked, this, [this] {
        if (workflow::TablOKBClick(m_w, m_record, m_settings)) accept();
        else QDialog::reject();
    });
    connect(exit, &QPushButton::clicked, this, &TTablF::reject);
    connect(m_units, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0) return;
        m_w.unit = index;
        m_resMinJ->setText(ToQString(UnitName(index)));
        m_resMaxJ->setText(m_resMinJ->text());
    });
    showExample();
    setFixedSize(sizeHint());
    qtbridge::PlaceDialog(*this, mainTopLeft, kOffset);
    m_load->setFocus();
}

// The input and result ranges of the table, with the unit the result is shown in.
QGroupBox* TTablF::buildRanges() {
    auto* ranges = new QGroupBox(this);
    ranges->setObjectName(QStringLiteral("RangeG"));
    auto* grid = new QGridLayout(ranges);
    const QString inputUnit = ToQString(workflow::InputUnitLabel(m_w.inputType));
    m_inMinV = Named(QStringLiteral("InMinV"), ranges, 8);
    m_inMaxV = Named(QStringLiteral("InMaxV"), ranges, 8);
    m_resMinV = Named(QStringLiteral("ResMinV"), ranges, 8);
    m_resMaxV = Named(QStringLiteral("ResMaxV"), ranges, 8);
    m_inMinJ = Named(QStringLiteral("InMinJ"), ranges);
    m_inMaxJ = Named(QStringLiteral("InMaxJ"), ranges);
    m_resMinJ = Named(QStringLiteral("ResMinJ"), ranges);
    m_resMaxJ = Named(QStringLiteral("ResMaxJ"), ranges);
    m_inMinJ->setText(inputUnit);
    m_inMaxJ->setText(inputUnit);
    grid->addWidget(new QLabel(Tr("Input"), ranges), 0, 0, 1, 3);
    grid->addWidget(m_inMinV, 1, 0);
    grid->addWidget(m_inMinJ, 1, 1);
    grid->addWidget(m_inMaxV, 2, 0);
    grid->addWidget(m_inMaxJ, 2, 1);
    grid->addWidget(new QLabel(Tr("Result1").chopped(1), ranges), 3, 0, 1, 3);
    grid->addWidget(m_resMinV, 4, 0);
    grid->addWidget(m_resMinJ, 4, 1);
    grid->addWidget(m_resMaxV, 5, 0);
    grid->addWidget(m_resMaxJ, 5, 1);
    m_units = new QComboBox(ranges);
    m_units->setObjectName(QStringLiteral("UnitsE"));
    for (const std::string_view name : workflow::UnitPickerNames()) m_units->addItem(ToQString(name));
    m_units->setCurrentIndex(m_w.unit);
    m_units->setEnabled(false);
    grid->addWidget(m_units, 6, 0, 1, 2);
    for (QLabel* l : {m_inMinJ, m_inMaxJ, m_resMinJ, m_resMaxJ}) l->setVisible(false);
    return ranges;
}

void TTablF::showExample() {
    QStringList lines;
    for (const std::string& line : workflow::TableExampleText(m_w.inputType)) lines << ToQString(line);
    m_text->setPlainText(lines.join(QLatin1Char('\n')));
}

void TTablF::TablLoadBClick() {
    if (!m_openFile) return;
    const QString chosen = m_openFile(this, ToQString(m_settings.DataDir), QtFilter(workflow::TableFileFilter()));
    if (chosen.isEmpty()) return;
    const auto view = workflow::TablLoadBClick(m_w, m_record, m_settings, chosen.toStdString());
    if (!view) {
        m_messages.show(this, ToQString(view.error().message), MessageIcon::Error);
        return;
    }
    showLoaded(*view);
    if (view->warning) {
        qtbridge::QtUiHooks ui(m_messages, this);
        workflow::ShowOutcome(ui, *view->warning);
    }
}

void TTablF::showLoaded(const workflow::TableLoadView& view) {
    QStringList lines;
    for (const std::string& line : view.lines) lines << ToQString(line);
    m_text->setPlainText(lines.join(QLatin1Char('\n')));
    if (view.selectLine) {
        const QTextBlock block = m_text->document()->findBlockByNumber(static_cast<int>(*view.selectLine));
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        m_text->setTextCursor(cursor);
    }
    setWindowTitle(ToQString(view.caption));
    m_fileName->setText(ToQString(view.fileName));
    m_inMinV->setText(ToQString(view.inMin));
    m_inMaxV->setText(ToQString(view.inMax));
    m_resMinV->setText(ToQString(view.resMin));
    m_resMaxV->setText(ToQString(view.resMax));
    m_resMinJ->setText(ToQString(UnitName(m_w.unit)));
    m_resMaxJ->setText(m_resMinJ->text());
    for (QLabel* l : {m_inMinJ, m_inMaxJ, m_resMinJ, m_resMaxJ}) l->setVisible(view.unitLabelsVisible);
    m_units->setEnabled(m_w.unitsEnabled);
    m_ok->setEnabled(m_w.okEnabled);
    if (m_w.okEnabled) m_ok->setFocus();
    else m_load->setFocus();
}

void TTablF::reject() {
    workflow::TablExitBClick(m_w, m_record, m_settings);
    QDialog::reject();
}

}  // namespace r4860::dialogs
