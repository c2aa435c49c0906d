#pragma once

// Driving exec() dialogs from tests: work scheduled to run inside the dialog's own event loop,
// and a watchdog that closes a dialog left open so a failing test ends instead of hanging.

#include <QApplication>
#include <QDialog>
#include <QLocale>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace vorn::test {

// Runs `work` once the dialog shows (inside the nested loop of exec()).
inline void whenShown(QDialog& dialog, std::function<void()> work) {
    QTimer::singleShot(0, &dialog, [&dialog, work = std::move(work)] {
        if (!QTest::qWaitFor([&dialog] { return dialog.isVisible(); }, 5000)) {
            ADD_FAILURE() << "the dialog did not show";
            return;
        }
        work();
    });
}

// The widget that gets the operator's keys: the dialog's focus widget, else the dialog.
inline QWidget* keyTarget(QDialog& dialog) {
    return dialog.focusWidget() != nullptr ? dialog.focusWidget() : &dialog;
}

// The Brazilian locale for the life of the object. Declare it as a fixture's first member, so
// widgets created afterwards take it.
class PinnedBrazilianLocale {
public:
    PinnedBrazilianLocale() { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil)); }
    ~PinnedBrazilianLocale() { QLocale::setDefault(QLocale::c()); }
    PinnedBrazilianLocale(const PinnedBrazilianLocale&) = delete;
    PinnedBrazilianLocale& operator=(const PinnedBrazilianLocale&) = delete;
};

// Closes the dialog when it is still open after `ms` and fails the test.
class Watchdog {
public:
    explicit Watchdog(QDialog& dialog, int ms = 20000) {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, &dialog, [this, &dialog] {
            if (dialog.isVisible()) {
                fired_ = true;
                dialog.done(QDialog::Rejected);
            }
        });
        timer_.start(ms);
    }
    ~Watchdog() { EXPECT_FALSE(fired_) << "the dialog had to be closed by the watchdog"; }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    QTimer timer_;
    bool fired_ = false;
};

} // namespace vorn::test
