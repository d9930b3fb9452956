#include "mainwindow/history_table_model.h"

#include <QBrush>
#include <QColor>

#include "files/history_time.h"
#include "qtbridge/qt_text.h"

namespace r4860::mainwindow {

using qtbridge::ToQString;
using qtbridge::Tr;

QString HistoryTableModel::setFilter(files::HistoryStore* store, const files::HistoryFilter& filter) {
    beginResetModel();
    m_store = store;
    m_filter = filter;
    m_rows.clear();
    m_next.reset();
    m_more = store != nullptr;
    m_total = -1;
    QString failure = m_more ? appendPage() : QString();
    endResetModel();
    if (store && failure.isEmpty()) {
        if (const auto n = store->count(filter)) m_total = *n;
    }
    return failure;
}

QString HistoryTableModel::appendPage() {
    auto page = m_store->page(m_filter, m_next, kPageRows);
    if (!page) {
        m_more = false;
        return ToQString(page.error().message);
    }
    for (auto& r : page->rows) m_rows.push_back(std::move(r));
    m_next = page->next;
    m_more = m_next.has_value();
    return {};
}

int HistoryTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int HistoryTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

bool HistoryTableModel::canFetchMore(const QModelIndex& parent) const { return !parent.isValid() && m_more; }

void HistoryTableModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    auto page = m_store->page(m_filter, m_next, kPageRows);
    if (!page || page->rows.empty()) {
        m_more = false;
        return;
    }
    const int first = rowCount();
    beginInsertRows({}, first, first + int(page->rows.size()) - 1);
    for (auto& r : page->rows) m_rows.push_back(std::move(r));
    m_next = page->next;
    m_more = m_next.has_value();
    endInsertRows();
}

QVariant HistoryTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const files::HistoryRecord& r = m_rows[std::size_t(index.row())];
    if (role == Qt::ForegroundRole && index.column() == Outcome && r.failed()) return QBrush(QColor(Qt::red));
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
    case Time: return ToQString(files::LocalTimeText(r.timeMs));
    case Operation: return Tr(files::OperationKey(r.operation));
    case Outcome: return Tr(files::OutcomeKey(r.outcome));
    case Model: return ToQString(r.model);
    case Serial: return ToQString(r.serial);
    case IdTag: return ToQString(r.idTag);
    case Operator: return ToQString(r.operatorName);
    case Message: return ToQString(r.message);
    default: return {};
    }
}

QVariant HistoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    static constexpr const char* kHeaders[ColumnCount] = {"Time", "Operation", "Outcome", "Model",
                                                          "Serial number", "ID Tag", "Operator", "Message"};
    return section >= 0 && section < ColumnCount ? Tr(kHeaders[section]) : QVariant();
}

}  // namespace r4860::mainwindow
