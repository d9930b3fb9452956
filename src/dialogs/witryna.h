// The start-up window: the tool's name, its version and a picture while the main window gets ready.
#pragma once

#include <QDialog>
#include <QPoint>

class QLabel;

namespace r4860::dialogs {

class Twitryna : public QDialog {
    Q_OBJECT
public:
    explicit Twitryna(QPoint mainTopLeft, QWidget* parent = nullptr);
    // "v 1.05": the main window knows which version it is.
    void setVersion(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* m_title;
    QLabel* m_wersja;
    QLabel* m_image1;
};

}  // namespace r4860::dialogs
