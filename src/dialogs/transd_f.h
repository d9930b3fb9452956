// The transducer type selection: the operator picks one of the models the tool offers, and the
// model name of the configuration follows the choice.
#pragma once

#include <QDialog>
#include <QPoint>
#include <string>
#include <vector>

#include "model/models.h"

namespace r4860::qtbridge {
class MessageService;
}
class QListWidget;
class QPushButton;

namespace r4860::dialogs {

class TTransdF : public QDialog {
    Q_OBJECT
public:
    // `device` is the model name; it changes only when the dialog ends with OK. The message
    // service is taken like every dialog's, though this one has nothing to report.
    TTransdF(std::string& device, std::vector<model::ModelListRow> modelList, qtbridge::MessageService& messages,
             QPoint mainTopLeft, QWidget* parent = nullptr);

private:
    void OKbuttClick();
    void preselect();

    std::string& m_device;
    std::vector<model::ModelListRow> m_modelList;
    QListWidget* m_wybierzL;
    QPushButton* m_okButt;
};

}  // namespace r4860::dialogs
