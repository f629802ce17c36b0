#pragma once

#include <QIcon>
#include <QPushButton>
#include <QRadioButton>
#include <QRgb>
#include <QString>
#include <array>

class QFontMetrics;

namespace lomarind {

// The flat olive-green look of the UI thread's push buttons, radio and check boxes, edit boxes,
// combo and spin boxes and group boxes. Set on the main window, it reaches every box and dialog
// the window owns; a worker's notice has no owner and keeps the platform's look.
QString olive_style_sheet();

// The 16 colours of the window's icon: the classic 4-bit palette.
extern const std::array<QRgb, 16> ICON_PALETTE;

// The window's 16 x 16 icon, in ICON_PALETTE and without antialiasing (transparent elsewhere).
QIcon window_icon();

// The caption broken into lines (joined by "\n") that each fit `width`: at word boundaries,
// or between any two characters where a line has none, as Chinese text has none.
QString wrap_caption(const QString& text, const QFontMetrics& metrics, int width);

// A push button whose caption wraps onto several lines when it is wider than the button.
class CaptionButton final : public QPushButton {
  public:
    using QPushButton::QPushButton;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// A radio button whose text is centred in the space beside its indicator, wrapping like a
// push button's caption.
class CentredRadioButton final : public QRadioButton {
  public:
    using QRadioButton::QRadioButton;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace lomarind
