// A message box as wide as its longest line, up to the screen's width, so that
// its text breaks only where the text itself does. The plain box wraps any text
// wider than about 500 pixels.
#pragma once

#include <QMessageBox>

namespace imm {

class MessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Sizes the box after the plain box has sized itself.
    void fit_to_text();
};

}  // namespace imm
