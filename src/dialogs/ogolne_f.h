// The general options: the language of the windows and the operator password.
#pragma once

#include <QDialog>
#include <QPoint>
#include <filesystem>
#include <vector>

#include "files/app_paths.h"

namespace r4860::files {
struct Settings;
}
namespace r4860::qtbridge {
class MessageService;
}
class QComboBox;
class QLineEdit;

namespace r4860::dialogs {

class TOgolneF : public QDialog {
    Q_OBJECT
public:
    // `languageDirs`: where the .lan files are listed and loaded from (tests pass their own).
    TOgolneF(files::Settings& settings, qtbridge::MessageService& messages, QPoint mainTopLeft,
             QWidget* parent = nullptr, std::vector<std::filesystem::path> languageDirs = files::DataSearchDirs());

private:
    void fillLanguages(QWidget* messageParent);
    void OKbuttClick();
    void loadChosenLanguage(const std::string& chosen);

    files::Settings& m_settings;
    qtbridge::MessageService& m_messages;
    std::vector<std::filesystem::path> m_languageDirs;
    QComboBox* m_listaLang;
    QLineEdit* m_stareE;
    QLineEdit* m_noweE;
};

}  // namespace r4860::dialogs
