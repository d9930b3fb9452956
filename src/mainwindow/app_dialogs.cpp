#include "mainwindow/app_dialogs.h"

#include "dialogs/info_f.h"
#include "dialogs/ogolne_f.h"
#include "dialogs/port_s.h"
#include "dialogs/progwer_f.h"
#include "dialogs/transd_f.h"
#include "dialogs/wiadomosc.h"
#include "dialogs/witryna.h"
#include "mainwindow/file_chooser.h"
#include "mainwindow/selection_dialogs.h"

namespace r4860::mainwindow {
namespace {

QPoint MainTopLeft(const workflow::AppContext& context) {
    return {context.settings.MainLeft, context.settings.MainTop};
}

}  // namespace

bool RunSplash(workflow::AppContext& context) {
    dialogs::Twitryna splash(MainTopLeft(context));
    splash.setVersion(QStringLiteral("v 1.05"));
    return splash.exec() == QDialog::Accepted;
}

DialogHooks AppDialogHooks(workflow::AppContext& context, workflow::Transducer& transducer,
                           qtbridge::MessageService& messages) {
    DialogHooks hooks;
    hooks.chooseType = [&context, &messages](QWidget* parent, std::string& device) {
        dialogs::TTransdF dialog(device, model::DefaultModelList(), messages, MainTopLeft(context), parent);
        return dialog.exec() == QDialog::Accepted;
    };
    hooks.options = [&context, &messages](QWidget* parent) {
        dialogs::TOgolneF dialog(context.settings, messages, MainTopLeft(context), parent);
        return dialog.exec() == QDialog::Accepted;
    };
    hooks.portDialog = [&context, &transducer, &messages](QWidget* parent) {
        dialogs::TPortS dialog(transducer, context.settings, messages, MainTopLeft(context), parent);
        dialog.exec();
    };
    hooks.portFailed = [&context, &transducer, &messages](QWidget* parent) {
        dialogs::ReportStartUpFailure(transducer, context.settings, messages, parent);
    };
    hooks.password = [&context](QWidget* parent) {
        dialogs::TWiadomosc prompt(dialogs::TWiadomosc::Mode::Password, context.settings, MainTopLeft(context), parent);
        return prompt.exec() == QDialog::Accepted ? prompt.passwordKind() : workflow::PasswordKind::Refused;
    };
    hooks.version = [&context](QWidget* parent) {
        dialogs::TProgwerF dialog(MainTopLeft(context), parent);
        dialog.exec();
    };
    hooks.info = [&context](QWidget* parent) {
        dialogs::TInfoF dialog(MainTopLeft(context), parent);
        dialog.exec();
    };
    hooks.selectSensor = [&context, &messages](QWidget* parent, workflow::SelectionWindow which,
                                               model::ConfigRecord& record, int modelCode) {
        auto openFile = [](QWidget* caller, const QString& dir, const QString& filter) {
            QtFileChooser chooser;
            return chooser.openFile(caller, dir, filter);
        };
        const auto window = MakeSelectionWindow(which, record, modelCode, context, messages, openFile, parent);
        return window ? window->run() : workflow::DialogResult::Cancel;
    };
    return hooks;
}

}  // namespace r4860::mainwindow
