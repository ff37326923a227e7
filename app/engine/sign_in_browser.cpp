#include "app/engine/sign_in_browser.h"

#include "app/engine/connect_text.h"
#include "app/log/app_log.h"

namespace nimbrel {

void SignInBrowser::logFallback(std::string_view reason) {
    log(ConnectText::browserFallback(reason), LogLevel::info);
}

} // namespace nimbrel
