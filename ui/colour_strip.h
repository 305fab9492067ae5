#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

namespace corvane::ui {

// The colour strip: a picture box with a flat one-pixel border whose inner
// area keeps whatever was drawn on it (a persistent image), so the strip
// survives being covered or minimised. It is never cleared.
class ColourStrip : public QWidget {
public:
    static constexpr int InnerWidth = 515;
    static constexpr int InnerHeight = 23;
    static constexpr int Border = 1;

    explicit ColourStrip(QWidget* parent = nullptr);

    // Colours the rectangle of inner-area pixels (x, y) to (x + w - 1, y + h - 1).
    void fill(int x, int y, int w, int h, QColor colour);

    // The inner drawing area as it stands.
    [[nodiscard]] const QImage& image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
};

} // namespace corvane::ui
