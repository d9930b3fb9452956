// View > History: the programming history's records in a table filtered by serial number, ID
// tag, model, dates and outcome; a record's details, the differences between two records, a
// recorded configuration opened on the panel and the shown records exported to CSV.
#pragma once

#include <QDialog>
#include <optional>

#include "files/history_store.h"
#include "model/config_record.h"
#include "workflow/app_context.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace r4860::qtbridge {
class MessageService;
}

namespace r4860::mainwindow {

class FileChooser;
class HistoryTableModel;
class WindowHistory;

class HistoryWindow final : public QDialog {
    Q_OBJECT
public:
    HistoryWindow(WindowHistory& history, workflow::AppContext& context, qtbridge::MessageService& messages,
                  FileChooser& files, QWidget* parent);

    // Searches again with the filters as they stand (the window is opened, a record was added).
    void refresh();
    [[nodiscard]] HistoryTableModel& model() { return *m_model; }

signals:
    // "Open as configuration": the main window puts it on the panel as an untitled one.
    void openConfiguration(const model::ConfigRecord& record);
    // "Restore this transducer": the selected write's record, with its images.
    void restoreRecord(const files::HistoryRecord& record);

private:
    void build();
    QWidget* buildFilters();
    QWidget* buildButtons();
    void retranslate();
    // The filter the fields describe, or nothing (the reason is shown) when a date is not one.
    std::optional<files::HistoryFilter> typedFilter();
    void showDetails();
    void showDifferences();
    void openSelected();
    void restoreSelected();
    void exportShown();
    [[nodiscard]] std::vector<int> selectedRows() const;
    std::optional<files::HistoryRecord> fullRecord(int row);
    void say(const QString& text);

    WindowHistory& m_history;
    workflow::AppContext& m_ctx;
    qtbridge::MessageService& m_messages;
    FileChooser& m_files;
    HistoryTableModel* m_model = nullptr;
    QLineEdit* m_serial = nullptr;
    QLineEdit* m_tag = nullptr;
    QLineEdit* m_modelEdit = nullptr;
    QLineEdit* m_since = nullptr;
    QLineEdit* m_until = nullptr;
    QComboBox* m_outcome = nullptr;
    QPushButton* m_search = nullptr;
    QTableView* m_table = nullptr;
    QPlainTextEdit* m_details = nullptr;
    QLabel* m_count = nullptr;
    QPushButton* m_diff = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_restore = nullptr;
    QPushButton* m_export = nullptr;
    QPushButton* m_close = nullptr;
};

}  // namespace r4860::mainwindow
