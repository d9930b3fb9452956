#include "mainwindow/history_window.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include "files/atomic_file.h"
#include "files/history_csv.h"
#include "files/history_time.h"
#include "mainwindow/file_chooser.h"
#include "mainwindow/history_table_model.h"
#include "mainwindow/window_history.h"
#include "qtbridge/message_service.h"
#include "qtbridge/qt_text.h"
#include "workflow/config_commands.h"
#include "workflow/history_review.h"

namespace r4860::mainwindow {

using qtbridge::ToQString;
using qtbridge::ToStd;
using qtbridge::Tr;

namespace {

QLineEdit* Edit(QWidget* parent, const char* name, int width) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setMinimumWidth(width);
    return e;
}

QPushButton* Button(QWidget* parent, const char* name) {
    auto* b = new QPushButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

// One "name: value" line of the details, left out when there is no value.
void Line(QString& text, const char* key, const std::string& value) {
    if (!value.empty()) text += Tr(key) + QStringLiteral(": ") + ToQString(value) + QLatin1Char('\n');
}

QString DetailsText(const files::HistoryRecord& r) {
    QString t;
    Line(t, "Time", files::LocalTimeText(r.timeMs));
    t += Tr("Operation") + QStringLiteral(": ") + Tr(files::OperationKey(r.operation)) + QLatin1Char('\n');
    t += Tr("Outcome") + QStringLiteral(": ") + Tr(files::OutcomeKey(r.outcome)) + QLatin1Char('\n');
    Line(t, "Message", r.message);
    Line(t, "Model", r.model);
    Line(t, "Serial number", r.serial);
    Line(t, "Code version", r.codeVersion);
    Line(t, "ID Tag", r.idTag);
    Line(t, "Calibration date", r.calDate);
    Line(t, "Configuration date", r.configDate);
    Line(t, "Parameter file", r.parFileName.empty() ? r.parFileName : r.parFileName + "  SHA-256 " + r.parFileHash);
    Line(t, "Operator", r.operatorName);
    Line(t, "Host", r.host);
    Line(t, "Port", r.port.empty() ? r.port : r.port + " (" + r.devicePath + ")");
    Line(t, "Program version", r.toolVersion);
    Line(t, "Restore of", r.restoreOf);
    if (!r.differences.empty())
        t += Tr("Differences") + QStringLiteral(":\n") + ToQString(workflow::DifferencesText(r.differences)) + QLatin1Char('\n');
    if (r.imageBefore && r.image) {
        // What this write changed: the transducer as it was against what it was given.
        files::HistoryRecord was = r;
        was.operation = files::HistoryOperation::Read;
        was.image = r.imageBefore;
        if (const auto changed = workflow::CompareRecords(was, r); changed && !changed->empty())
            t += Tr("Changed by this write") + QStringLiteral(":\n") + ToQString(workflow::DifferencesText(*changed));
    }
    return t;
}

}  // namespace

HistoryWindow::HistoryWindow(WindowHistory& history, workflow::AppContext& context, qtbridge::MessageService& messages,
                             FileChooser& files, QWidget* parent)
    : QDialog(parent), m_history(history), m_ctx(context), m_messages(messages), m_files(files) {
    setObjectName(QStringLiteral("HistoryF"));
    setModal(false);
    build();
    retranslate();
    resize(900, 560);
}

QWidget* HistoryWindow::buildFilters() {
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    m_serial = Edit(box, "SerialE", 70);
    m_tag = Edit(box, "TagE", 90);
    m_modelEdit = Edit(box, "ModelE", 60);
    m_since = Edit(box, "SinceE", 80);
    m_until = Edit(box, "UntilE", 80);
    m_outcome = new QComboBox(box);
    m_outcome->setObjectName(QStringLiteral("OutcomeC"));
    m_outcome->addItems({QString(), QString(), QString()});
    m_search = Button(box, "SearchB");
    m_search->setDefault(true);
    const std::pair<const char*, QWidget*> fields[] = {{"SerialL", m_serial}, {"TagL", m_tag}, {"ModelL", m_modelEdit},
                                                       {"SinceL", m_since}, {"UntilL", m_until}, {"OutcomeL", m_outcome}};
    for (const auto& [label, field] : fields) {
        auto* l = new QLabel(box);
        l->setObjectName(QLatin1String(label));
        l->setBuddy(field);
        row->addWidget(l);
        row->addWidget(field, 1);
    }
    row->addWidget(m_search);
    for (QLineEdit* e : {m_serial, m_tag, m_modelEdit, m_since, m_until})
        connect(e, &QLineEdit::returnPressed, this, &HistoryWindow::refresh);
    connect(m_search, &QPushButton::clicked, this, &HistoryWindow::refresh);
    return box;
}

QWidget* HistoryWindow::buildButtons() {
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    m_count = new QLabel(box);
    m_count->setObjectName(QStringLiteral("CountL"));
    m_diff = Button(box, "DiffB");
    m_open = Button(box, "OpenB");
    m_restore = Button(box, "RestoreB");
    m_export = Button(box, "ExportB");
    m_close = Button(box, "CloseB");
    row->addWidget(m_count, 1);
    for (QPushButton* b : {m_diff, m_open, m_restore, m_export, m_close}) row->addWidget(b);
    connect(m_diff, &QPushButton::clicked, this, &HistoryWindow::showDifferences);
    connect(m_open, &QPushButton::clicked, this, &HistoryWindow::openSelected);
    connect(m_restore, &QPushButton::clicked, this, &HistoryWindow::restoreSelected);
    connect(m_export, &QPushButton::clicked, this, &HistoryWindow::exportShown);
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);
    return box;
}

void HistoryWindow::build() {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildFilters());
    m_model = new HistoryTableModel(this);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("HistoryTable"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    // A line per record, as a list: more of them in view.
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_details = new QPlainTextEdit(this);
    m_details->setObjectName(QStringLiteral("DetailsM"));
    m_details->setReadOnly(true);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_table);
    split->addWidget(m_details);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split, 1);
    layout->addWidget(buildButtons());
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this, &HistoryWindow::showDetails);
}

void HistoryWindow::retranslate() {
    setWindowTitle(Tr("History"));
    const std::pair<const char*, const char*> labels[] = {{"SerialL", "Serial number"}, {"TagL", "ID Tag"},
                                                          {"ModelL", "Model"}, {"SinceL", "From"},
                                                          {"UntilL", "Until"}, {"OutcomeL", "Outcome"}};
    for (const auto& [name, key] : labels) findChild<QLabel*>(QLatin1String(name))->setText(Tr(key) + QLatin1Char(':'));
    m_since->setPlaceholderText(QStringLiteral("dd.mm.yyyy"));
    m_until->setPlaceholderText(QStringLiteral("dd.mm.yyyy"));
    m_outcome->setItemText(0, Tr("All"));
    m_outcome->setItemText(1, Tr("Success"));
    m_outcome->setItemText(2, Tr("Failed"));
    m_search->setText(Tr("Search"));
    m_diff->setText(Tr("Differences"));
    m_open->setText(Tr("Open as configuration"));
    m_restore->setText(Tr("Restore this transducer") + QStringLiteral("..."));
    m_export->setText(Tr("Export to CSV") + QStringLiteral("..."));
    m_close->setText(Tr("Close"));
}

std::optional<files::HistoryFilter> HistoryWindow::typedFilter() {
    files::HistoryFilter f;
    f.serial = ToStd(m_serial->text().trimmed());
    f.idTag = ToStd(m_tag->text().trimmed());
    f.model = ToStd(m_modelEdit->text().trimmed().toUpper());
    const std::pair<QLineEdit*, std::optional<std::int64_t>*> dates[] = {{m_since, &f.sinceMs}, {m_until, &f.untilMs}};
    for (const auto& [edit, into] : dates) {
        const std::string text = ToStd(edit->text().trimmed());
        if (text.empty()) continue;
        *into = edit == m_since ? files::LocalDayStartMs(text) : files::LocalDayEndMs(text);
        if (!*into) {
            say(Tr("Not a date") + QStringLiteral(": ") + edit->text() + QStringLiteral(" (dd.mm.yyyy)"));
            edit->setFocus();
            return std::nullopt;
        }
    }
    static constexpr files::HistoryFilter::Outcomes kOutcomes[] = {
        files::HistoryFilter::Outcomes::Any, files::HistoryFilter::Outcomes::Succeeded, files::HistoryFilter::Outcomes::Failed};
    f.outcomes = kOutcomes[std::max(0, m_outcome->currentIndex())];
    return f;
}

void HistoryWindow::refresh() {
    retranslate();
    const auto filter = typedFilter();
    if (!filter) return;
    files::HistoryStore* store = m_history.store();
    m_details->clear();
    if (!store) {
        m_model->setFilter(nullptr, *filter);
        m_count->setText(m_history.unavailableText());
        return;
    }
    const QString failure = m_model->setFilter(store, *filter);
    m_table->resizeColumnsToContents();
    if (!failure.isEmpty()) {
        m_count->setText(failure);
        return;
    }
    m_count->setText(Tr("Records") + QStringLiteral(": ") + QString::number(m_model->total()));
}

std::vector<int> HistoryWindow::selectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& i : m_table->selectionModel()->selectedRows()) rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::optional<files::HistoryRecord> HistoryWindow::fullRecord(int row) {
    files::HistoryStore* store = m_history.store();
    if (!store) return std::nullopt;
    auto r = store->get(m_model->recordAt(row).id);
    if (!r) {
        say(ToQString(r.error().message));
        return std::nullopt;
    }
    return std::move(*r);
}

void HistoryWindow::showDetails() {
    const auto rows = selectedRows();
    m_diff->setEnabled(rows.size() == 2);
    m_open->setEnabled(rows.size() == 1);
    m_restore->setEnabled(rows.size() == 1);
    if (rows.size() != 1) {
        m_details->clear();
        return;
    }
    if (const auto r = fullRecord(rows.front())) m_details->setPlainText(DetailsText(*r));
}

void HistoryWindow::showDifferences() {
    const auto rows = selectedRows();
    if (rows.size() != 2) {
        say(Tr("Select two records"));
        return;
    }
    // The older record is the expected side: what changed since it.
    const auto newer = fullRecord(rows[0]);
    const auto older = fullRecord(rows[1]);
    if (!newer || !older) return;
    const auto items = workflow::CompareRecords(*older, *newer);
    if (!items) {
        say(ToQString(items.error().message));
        return;
    }
    m_details->setPlainText(items->empty() ? Tr("No differences")
                                           : Tr("Differences") + QStringLiteral(":\n") +
                                                 ToQString(workflow::DifferencesText(*items)));
}

void HistoryWindow::openSelected() {
    const auto rows = selectedRows();
    if (rows.size() != 1) return;
    const auto r = fullRecord(rows.front());
    if (!r) return;
    auto config = workflow::RecordedConfiguration(*r);
    if (!config) {
        say(ToQString(config.error().message));
        return;
    }
    emit openConfiguration(*config);
}

void HistoryWindow::restoreSelected() {
    const auto rows = selectedRows();
    if (rows.size() != 1) return;
    if (const auto r = fullRecord(rows.front())) emit restoreRecord(*r);
}

void HistoryWindow::exportShown() {
    files::HistoryStore* store = m_history.store();
    const auto filter = typedFilter();
    if (!store || !filter) return;
    const QString file = m_files.saveFile(this, QStringLiteral("history.csv"), QStringLiteral("CSV (*.csv)"));
    if (file.isEmpty()) return;
    std::string csv = files::HistoryCsvHeader(files::CsvColumns::Summary);
    const Status read = store->forEach(*filter, [&csv](const files::HistoryRecord& r) {
        csv += files::HistoryCsvRow(r, files::CsvColumns::Summary);
        return true;
    });
    const Status written = read ? files::WriteFileAtomically(ToStd(file), csv) : read;
    if (!written) say(ToQString(written.error().message));
}

void HistoryWindow::say(const QString& text) { m_messages.show(this, text, MessageIcon::Exclamation); }

}  // namespace r4860::mainwindow
