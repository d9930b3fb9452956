// The table window: the operator opens a table file for a user sensor or a table-defined
// conversion and sees it, with the failing line selected when the file is refused.
#pragma once

#include <QDialog>
#include <QGroupBox>
#include <QPoint>
#include <functional>

#include "files/settings.h"
#include "model/config_record.h"
#include "workflow/table_window.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace r4860::qtbridge {
class MessageService;
}

namespace r4860::dialogs {

// The open-file dialog (a script in tests): the chosen path, or empty when cancelled.
using OpenFileDialog = std::function<QString(QWidget* parent, const QString& dir, const QString& filter)>;

class TTablF : public QDialog {
    Q_OBJECT
public:
    TTablF(model::ConfigRecord& record, files::Settings& settings, qtbridge::MessageService& messages,
           OpenFileDialog openFile, QPoint mainTopLeft, QWidget* parent = nullptr);

public slots:
    void reject() override;

private:
    void TablLoadBClick();
    void showLoaded(const workflow::TableLoadView& view);
    QGroupBox* buildRanges();
    void showExample();

    model::ConfigRecord& m_record;
    files::Settings& m_settings;
    qtbridge::MessageService& m_messages;
    OpenFileDialog m_openFile;
    workflow::TableWindow m_w;
    QPlainTextEdit* m_text = nullptr;
    QLabel* m_fileName = nullptr;
    QLabel* m_inMinV = nullptr;
    QLabel* m_inMaxV = nullptr;
    QLabel* m_resMinV = nullptr;
    QLabel* m_resMaxV = nullptr;
    QLabel* m_inMinJ = nullptr;
    QLabel* m_inMaxJ = nullptr;
    QLabel* m_resMinJ = nullptr;
    QLabel* m_resMaxJ = nullptr;
    QComboBox* m_units = nullptr;
    QPushButton* m_load = nullptr;
    QPushButton* m_ok = nullptr;
};

}  // namespace r4860::dialogs
