#include "mainwindow/selection_dialogs.h"

#include "dialogs/conversion_f.h"
#include "dialogs/room_f.h"
#include "dialogs/wybor_f.h"
#include "dialogs/wybor_i.h"
#include "dialogs/wybor_rv.h"

namespace r4860::mainwindow {

std::unique_ptr<dialogs::SelectionDialog> MakeSelectionWindow(workflow::SelectionWindow which,
                                                              model::ConfigRecord& record, int modelCode,
                                                              workflow::AppContext& context,
                                                              qtbridge::MessageService& messages,
                                                              dialogs::OpenFileDialog openFile, QWidget* parent) {
    const QPoint mainTopLeft(context.settings.MainLeft, context.settings.MainTop);
    auto conversion = [&record, &context, &messages, mainTopLeft, openFile](QWidget* caller,
                                                                           workflow::Conversion c) {
        switch (c) {
            case workflow::Conversion::Linear: {
                dialogs::TLinaF window(record, messages, mainTopLeft, caller);
                return window.exec() == QDialog::Accepted;
            }
            case workflow::Conversion::PowerSeries: {
                dialogs::TPowerF window(record, messages, mainTopLeft, caller);
                return window.exec() == QDialog::Accepted;
            }
            case workflow::Conversion::Table: {
                dialogs::TTablF window(record, context.settings, messages, openFile, mainTopLeft, caller);
                return window.exec() == QDialog::Accepted;
            }
            case workflow::Conversion::None: break;
        }
        return false;
    };
    dialogs::SelectionEnv env{record, messages, mainTopLeft, modelCode, conversion};
    switch (which) {
        case workflow::SelectionWindow::TWybor: {
            auto roomT = [&record, &messages](QWidget* caller) {
                dialogs::TRoomF window(record, messages, caller->pos(), caller);
                window.exec();
            };
            return std::make_unique<dialogs::TWybor>(env, roomT, parent);
        }
        case workflow::SelectionWindow::TWyborRV: return std::make_unique<dialogs::TWyborRV>(env, parent);
        case workflow::SelectionWindow::TWyborI: return std::make_unique<dialogs::TWyborI>(env, parent);
        case workflow::SelectionWindow::TWyborIV: return std::make_unique<dialogs::TWyborIV>(env, parent);
        case workflow::SelectionWindow::None: break;
    }
    return nullptr;
}

}  // namespace r4860::mainwindow
