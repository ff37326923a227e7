#include "app/engine/sign_in_launcher.h"

#include "app/engine/engine_view_model.h"
#include "app/engine/sign_in_browser.h"

namespace nimbrel {

SignInLauncher::Result SignInLauncher::start(EngineViewModel& engine, const Opener& open) {
    std::optional<QUrl> link = engine.beginConnect();
    if (!link) {
        return {};
    }
    SignInBrowser::logFallback();
    const bool opened = open && open(*link);
    return {opened ? Outcome::opened : Outcome::notOpened, std::move(link)};
}

} // namespace nimbrel
