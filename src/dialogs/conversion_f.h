// The linear (TLinaF) and power-series (TPowerF) conversion windows of a signal input. The record
// changes only through the conversion rules; Exit of TPowerF puts the coefficients back.
#pragma once

#include <QDialog>
#include <QPoint>
#include <array>

#include "model/config_record.h"
#include "workflow/conversion_rules.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace r4860::qtbridge {
class MessageService;
}

namespace r4860::dialogs {

class ConversionDialog : public QDialog {
    Q_OBJECT
protected:
    ConversionDialog(model::ConfigRecord& record, qtbridge::MessageService& messages, QPoint mainTopLeft,
                     workflow::ConversionKind kind, QWidget* parent);
    // The input and result groups and the buttons; TPowerF adds its coefficients in between.
    void buildCommon(bool editableResult);
    void finishLayout(QWidget* middle);
    // An edit's verdict: the shown text, every message, the focus back when refused.
    void showEdit(QLineEdit* edit, const workflow::EditResult<double>& r);
    void showProblem(const workflow::ConversionProblem& p);
    [[nodiscard]] QLineEdit* fieldOf(workflow::ConversionField f) const;
    void fillLimits();
    virtual void okClicked() = 0;

    model::ConfigRecord& m_record;
    qtbridge::MessageService& m_messages;
    workflow::ConversionWindow m_w;
    bool m_filling = true;
    QLineEdit* m_inMin = nullptr;
    QLineEdit* m_inMax = nullptr;
    QLineEdit* m_resMin = nullptr;  // TLinaF
    QLineEdit* m_resMax = nullptr;
    QLabel* m_resMinV = nullptr;  // TPowerF
    QLabel* m_resMaxV = nullptr;
    QLabel* m_resMinJ = nullptr;
    QLabel* m_resMaxJ = nullptr;
    QComboBox* m_units = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_exit = nullptr;
    std::array<QLineEdit*, 9> m_coef{};

private:
    QPoint m_mainTopLeft;
};

class TLinaF : public ConversionDialog {
    Q_OBJECT
public:
    TLinaF(model::ConfigRecord& record, qtbridge::MessageService& messages, QPoint mainTopLeft,
           QWidget* parent = nullptr);

private:
    void okClicked() override;
};

class TPowerF : public ConversionDialog {
    Q_OBJECT
public:
    TPowerF(model::ConfigRecord& record, qtbridge::MessageService& messages, QPoint mainTopLeft,
            QWidget* parent = nullptr);

public slots:
    void reject() override;

private:
    QWidget* buildCoefficients();
    void okClicked() override;
    void fieldChanged();
};

}  // namespace r4860::dialogs
