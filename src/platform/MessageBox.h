#pragma once

// The plain message box of the program (the single-instance refusal, the common error box, the
// framework's standard error box). With a display it is a modal QMessageBox owned by the
// application with an OK button only; under Qt's "offscreen" platform, or without a
// QApplication, the caption and text go to standard error and the call returns at once, so the
// server runs headless. Call on the user-interface thread only.

#include <QString>
#include <functional>
#include <vector>

namespace vorn::platform {

enum class MessageIcon { NoIcon, Information, Warning, Critical, Question };

struct ShownMessageBox {
    QString caption;
    QString text;
    MessageIcon icon = MessageIcon::NoIcon;
    friend bool operator==(const ShownMessageBox&, const ShownMessageBox&) = default;
};

// Shows the box and returns when it is closed (OK is the only answer).
void showMessageBox(const QString& caption, const QString& text, MessageIcon icon);

// True when boxes go to standard error instead of the screen.
bool messageBoxesGoToStandardError();

// Test seam: while a recorder exists, every box shown is also appended to it (the box itself is
// still shown, so under "offscreen" it still goes to standard error). Recorders nest; the newest
// one records. Create and destroy on the user-interface thread.
class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    const std::vector<ShownMessageBox>& shown() const { return shown_; }

private:
    friend void showMessageBox(const QString&, const QString&, MessageIcon);
    std::vector<ShownMessageBox> shown_;
    MessageBoxRecorder* previous_;
};

} // namespace vorn::platform
