#include "app/HandlerGuard.h"

#include <exception>

#include "view/Dialogs.h"
#include "view/Errors.h"

void runGuarded(Dialogs& dialogs, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const Cancelled&) {
    } catch (const UserError& error) {
        dialogs.errorBox(withFullStop(error.text()));
    } catch (const std::exception& error) {
        dialogs.errorBox(withFullStop(QString::fromLocal8Bit(error.what())));
    }
}
