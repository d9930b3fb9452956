// The history window's table: the store's records page by page as the view scrolls, newest
// first, without their images. Only the rows scrolled to so far are held, never the whole store.
#pragma once

#include <QAbstractTableModel>
#include <optional>
#include <vector>

#include "files/history_store.h"

namespace r4860::mainwindow {

class HistoryTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Time, Operation, Outcome, Model, Serial, IdTag, Operator, Message, ColumnCount };
    static constexpr std::size_t kPageRows = 200;

    explicit HistoryTableModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // Starts over with the first page of `filter`; an empty string, or why the store failed.
    QString setFilter(files::HistoryStore* store, const files::HistoryFilter& filter);
    [[nodiscard]] const files::HistoryFilter& filter() const { return m_filter; }
    // The number of matching records (counted when the filter was set), -1 when unknown.
    [[nodiscard]] qint64 total() const { return m_total; }
    [[nodiscard]] const files::HistoryRecord& recordAt(int row) const { return m_rows.at(std::size_t(row)); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    QString appendPage();

    files::HistoryStore* m_store = nullptr;
    files::HistoryFilter m_filter;
    std::vector<files::HistoryRecord> m_rows;
    std::optional<files::HistoryPageKey> m_next;
    bool m_more = false;
    qint64 m_total = -1;
};

}  // namespace r4860::mainwindow
