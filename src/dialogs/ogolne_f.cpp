#include "dialogs/ogolne_f.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "files/language_file.h"
#include "files/settings.h"
#include "qtbridge/decorations.h"
#include "qtbridge/message_service.h"
#include "qtbridge/qt_text.h"
#include "qtbridge/window_place.h"

namespace r4860::dialogs {
namespace {

const QPoint kOffset(62, 90);
// Chosen when the list offers nothing the operator picked: the tool's home language.
constexpr const char* kNoChoiceLanguage = "Polski";

QLineEdit* PasswordEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(static_cast<int>(files::kMaxPass));
    edit->setEchoMode(QLineEdit::Password);
    // Asterisks whatever the style's own mask character is.
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    return edit;
}

}  // namespace

using qtbridge::ToQString;
using qtbridge::ToStd;
using qtbridge::Tr;

TOgolneF::TOgolneF(files::Settings& settings, qtbridge::MessageService& messages, QPoint mainTopLeft, QWidget* parent,
                   std::vector<std::filesystem::path> languageDirs)
    : QDialog(parent, qtbridge::DialogFlags()), m_settings(settings), m_messages(messages), m_languageDirs(std::move(languageDirs)) {
    setObjectName(QStringLiteral("TOgolneF"));
    setWindowTitle(Tr("Options"));

    auto* jezykG = new QGroupBox(QLatin1Char(' ') + Tr("language") + QLatin1Char(' '), this);
    jezykG->setObjectName(QStringLiteral("JezykG"));
    auto* wybierz = new QLabel(Tr("Select") + QLatin1Char(':'), jezykG);
    wybierz->setObjectName(QStringLiteral("Wybierz"));
    m_listaLang = new QComboBox(jezykG);
    m_listaLang->setObjectName(QStringLiteral("ListaLang"));
    auto* languageRow = new QHBoxLayout(jezykG);
    languageRow->addWidget(wybierz);
    languageRow->addWidget(m_listaLang, 1);

    auto* hasloG = new QGroupBox(QLatin1Char(' ') + Tr("Password").toLower() + QLatin1Char(' '), this);
    hasloG->setObjectName(QStringLiteral("HasloG"));
    auto* stareT = new QLabel(Tr("Old") + QLatin1Char(':'), hasloG);
    stareT->setObjectName(QStringLiteral("StareT"));
    QString newText = Tr("New1");
    newText.chop(1);
    auto* noweT = new QLabel(newText + QLatin1Char(':'), hasloG);
    noweT->setObjectName(QStringLiteral("NoweT"));
    m_stareE = PasswordEdit("StareE", hasloG);
    m_noweE = PasswordEdit("NoweE", hasloG);
    // The settings file keeps only printable ASCII passwords; anything else would be lost at exit
    // and the next run would silently fall back to the default.
    const QRegularExpression printable(QStringLiteral("[\\x20-\\x7E]*"));
    m_noweE->setValidator(new QRegularExpressionValidator(printable, m_noweE));
    auto* passwordGrid = new QGridLayout(hasloG);
    passwordGrid->addWidget(stareT, 0, 0);
    passwordGrid->addWidget(m_stareE, 0, 1);
    passwordGrid->addWidget(noweT, 1, 0);
    passwordGrid->addWidget(m_noweE, 1, 1);

    auto* okButt = new QPushButton(QStringLiteral("OK"), this);
    okButt->setObjectName(QStringLiteral("OKbutt"));
    okButt->setDefault(true);
    auto* cancelButt = new QPushButton(Tr("Cancel"), this);
    cancelButt->setObjectName(QStringLiteral("Cancelbutt"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButt);
    buttons->addWidget(cancelButt);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(jezykG);
    layout->addWidget(hasloG);
    layout->addLayout(buttons);

    connect(okButt, &QPushButton::clicked, this, &TOgolneF::OKbuttClick);
    connect(cancelButt, &QPushButton::clicked, this, &QDialog::reject);
    fillLanguages(parent);
    setFixedSize(sizeHint());
    qtbridge::PlaceDialog(*this, mainTopLeft, kOffset);
}

void TOgolneF::fillLanguages(QWidget* messageParent) {
    std::vector<std::string> names{std::string(files::kEnglishLanguage)};
    if (!files::ListLanguages(names, m_languageDirs)) {
        // A fixed text: with no language file there is nothing to translate it with.
        m_messages.show(messageParent, QStringLiteral("No optional language (*.lan) files found!"), MessageIcon::None);
    }
    for (const auto& name : names) m_listaLang->addItem(ToQString(name));
    m_listaLang->setCurrentIndex(
        m_listaLang->findText(ToQString(m_settings.Language), Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void TOgolneF::OKbuttClick() {
    const std::string chosen =
        m_listaLang->currentIndex() >= 0 ? ToStd(m_listaLang->currentText()) : std::string(kNoChoiceLanguage);
    const std::string typedOld = ToStd(m_stareE->text());
    if (chosen == m_settings.Language && typedOld.empty()) {
        reject();
        return;
    }
    loadChosenLanguage(chosen);
    if (typedOld != m_settings.Pass && !typedOld.empty()) {
        m_messages.beep(Beep::Exclamation);
        m_messages.show(this, Tr("Wrong") + QLatin1Char(' ') + Tr("Password").toLower() + QLatin1Char('!'),
                        MessageIcon::Error);
        m_stareE->clear();
        m_stareE->setFocus();
        return;
    }
    const std::string typedNew = ToStd(m_noweE->text());
    if (typedOld == m_settings.Pass && !typedNew.empty()) m_settings.Pass = typedNew;
    accept();
}

void TOgolneF::loadChosenLanguage(const std::string& chosen) {
    const std::string previous = m_settings.Language;
    m_settings.Language = chosen;
    if (files::LoadLanguage(m_settings.Language, m_languageDirs)) return;
    m_messages.beep(Beep::Exclamation);
    m_messages.show(this, ToQString(chosen) + QStringLiteral(".lan ") + Tr("file is invalid") + QLatin1Char('!'),
                    MessageIcon::Error);
    m_settings.Language = previous;
    // The previous table comes back, or English should that file have gone bad meanwhile.
    (void)files::LoadLanguage(m_settings.Language, m_languageDirs);
}

}  // namespace r4860::dialogs
