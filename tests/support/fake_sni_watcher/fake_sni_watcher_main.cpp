// nimbrel-fake-sni-watcher: a StatusNotifierWatcher with a panel always present, so that tray icons appear
// on a session bus without a desktop (under Xvfb). Prints one line once it owns its name, then serves until
// it is ended.
#include <QCoreApplication>
#include <cstdio>

#include "tests/support/fake_sni_watcher/fake_sni_watcher.h"

int main(int argc, char** argv) {
    const QCoreApplication application(argc, argv);
    nimbrel::testing::FakeSniWatcher watcher;
    if (!watcher.appear()) {
        std::fprintf(stderr, "nimbrel-fake-sni-watcher: cannot take %s on the session bus\n",
                     nimbrel::testing::FakeSniWatcher::kService);
        return 1;
    }
    std::printf("nimbrel-fake-sni-watcher: %s\n", nimbrel::testing::FakeSniWatcher::kService);
    std::fflush(stdout);
    return QCoreApplication::exec();
}
