#include "dialogs/transd_f.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "qtbridge/decorations.h"
#include "qtbridge/qt_text.h"
#include "qtbridge/window_place.h"

namespace r4860::dialogs {
namespace {

const QPoint kOffset(87, 80);
constexpr const char* kNotOffered = "?";
constexpr const char* kDefaultModel = "R4720";
constexpr std::size_t kMaxDeviceLength = 5;

}  // namespace

using qtbridge::ToQString;
using qtbridge::Tr;

TTransdF::TTransdF(std::string& device, std::vector<model::ModelListRow> modelList, qtbridge::MessageService&,
                   QPoint mainTopLeft, QWidget* parent)
    : QDialog(parent, qtbridge::DialogFlags()), m_device(device), m_modelList(std::move(modelList)) {
    setObjectName(QStringLiteral("TTransdF"));
    // The key has no entry in the built-in English table; an empty title bar would look broken.
    const QString title = Tr("R4860 Transducers");
    setWindowTitle(title.isEmpty() ? QStringLiteral("R4860 Transducers") : title);

    auto* wybierzT = new QLabel(Tr("Select type of transducer") + QLatin1Char(':'), this);
    wybierzT->setObjectName(QStringLiteral("WybierzT"));
    m_wybierzL = new QListWidget(this);
    m_wybierzL->setObjectName(QStringLiteral("WybierzL"));
    m_wybierzL->setSortingEnabled(true);
    for (const auto& row : m_modelList)
        if (row.value != kNotOffered) m_wybierzL->addItem(ToQString(row.value));
    // A few rows and the widest name: the list's own size hint is meant for long lists.
    const int frame = 2 * m_wybierzL->frameWidth();
    m_wybierzL->setFixedSize(m_wybierzL->fontMetrics().horizontalAdvance(QStringLiteral("MMMMMMMM")) + frame,
                             std::max(m_wybierzL->sizeHintForRow(0), 16) * 5 + frame);

    m_okButt = new QPushButton(QStringLiteral("OK"), this);
    m_okButt->setObjectName(QStringLiteral("OKbutt"));
    m_okButt->setDefault(true);
    auto* cancelB = new QPushButton(Tr("Cancel"), this);
    cancelB->setObjectName(QStringLiteral("CancelB"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(wybierzT, 0, 0, 1, 2);
    layout->addWidget(m_wybierzL, 1, 0, 3, 1);
    layout->addWidget(m_okButt, 1, 1);
    layout->addWidget(cancelB, 2, 1);
    layout->setRowStretch(3, 1);

    connect(m_okButt, &QPushButton::clicked, this, &TTransdF::OKbuttClick);
    connect(cancelB, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_wybierzL, &QListWidget::itemDoubleClicked, this, &TTransdF::OKbuttClick);
    setFixedSize(sizeHint());
    qtbridge::PlaceDialog(*this, mainTopLeft, kOffset);
    preselect();
}

void TTransdF::preselect() {
    if (m_wybierzL->count() < 2) {
        // Nothing to choose: take the one entry as soon as the event loop runs the dialog, so
        // the caller sees an ordinary OK whether it used exec() or open().
        m_wybierzL->setCurrentRow(0);
        QTimer::singleShot(0, this, &TTransdF::OKbuttClick);
        return;
    }
    const std::string wanted = m_device.empty() ? kDefaultModel : m_device;
    const auto row = std::find_if(m_modelList.begin(), m_modelList.end(),
                                  [&](const model::ModelListRow& r) { return r.name == wanted; });
    const auto found = row == m_modelList.end()
                           ? QList<QListWidgetItem*>{}
                           : m_wybierzL->findItems(ToQString(row->value), Qt::MatchExactly | Qt::MatchCaseSensitive);
    m_wybierzL->setCurrentRow(found.isEmpty() ? 0 : m_wybierzL->row(found.front()));
    m_wybierzL->setFocus();
}

void TTransdF::OKbuttClick() {
    const QListWidgetItem* chosen = m_wybierzL->currentItem();
    if (chosen == nullptr) {
        reject();
        return;
    }
    const std::string value = qtbridge::ToStd(chosen->text());
    const auto row = std::find_if(m_modelList.begin(), m_modelList.end(),
                                  [&](const model::ModelListRow& r) { return r.value == value; });
    if (row != m_modelList.end()) m_device = row->name.substr(0, kMaxDeviceLength);
    accept();
}

}  // namespace r4860::dialogs
