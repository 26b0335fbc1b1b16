#pragma once

#include <QColor>
#include <QFrame>
#include <QImage>
#include <QString>
#include <QWidget>

namespace kernova::qt {

// A picture panel: a background colour, an optional picture drawn unscaled from the top-left
// corner of its client area, and an optional sunken border.
class PanelWidget : public QFrame {
  public:
    explicit PanelWidget(QWidget* parent);
    void SetBackground(const QColor& color);
    void SetPicture(const QImage* picture); // not owned; nullptr for none
    void SetSunken(bool sunken);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor background_;
    const QImage* picture_ = nullptr;
};

// A label drawn as the form describes it: plain text (an "&" is shown as is), a text
// colour, left or centred, wrapped within its width unless it is sized to its text,
// transparent or filled with its container's colour. Greyed when disabled.
class LabelWidget : public QWidget {
    Q_OBJECT

  public:
    explicit LabelWidget(QWidget* parent);
    void SetText(const QString& text);
    void SetTextColor(const QColor& color);
    void SetCentered(bool centered);
    void SetWrapped(bool wrapped);
    void SetFill(const QColor& color, bool filled);
    // The size the text needs on one line (for labels sized to their text).
    QSize TextSize() const;
    const QString& text() const { return text_; }

  signals:
    void clicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QString text_;
    QColor color_;
    QColor fill_;
    bool filled_ = false;
    bool centered_ = false;
    bool wrapped_ = false;
};

// A one-pixel line (horizontal or vertical) in a fixed colour.
class LineWidget : public QWidget {
  public:
    explicit LineWidget(QWidget* parent);
    void SetColor(const QColor& color);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor color_;
};

// A filled rectangle (the progress bar's fill).
class FillWidget : public QWidget {
  public:
    explicit FillWidget(QWidget* parent);
    void SetColor(const QColor& color);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor color_;
};

// Shows a kept drawing (the preview area's image) on white.
class DrawingWidget : public QWidget {
  public:
    explicit DrawingWidget(QWidget* parent);
    void SetDrawing(const QImage* drawing); // not owned

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const QImage* drawing_ = nullptr;
};

} // namespace kernova::qt
