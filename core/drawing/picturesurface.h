#pragma once
#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QStaticText>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QPainter;

// The chart box's drawing surface: coordinates in twips, origin top left, y down.
// Like a picture box with persistent drawing it keeps two images: the drawing
// (everything drawn so far) and the picture (a copy kept on request, the
// background that an erase returns to). Widget-free, so the command-line tool and
// tests draw charts without a display.
//
// Positions are the window's (logical) pixels; on a high-resolution screen the
// images hold devicePixelRatio device pixels for each of them, so at 200% a chart
// has twice the pixels each way and its text and lines are drawn that much finer.
class PictureSurface {
public:
    explicit PictureSurface(double twipsPerPixel = 15.0, double devicePixelRatio = 1.0);
    ~PictureSurface();
    PictureSurface(const PictureSurface&) = delete;
    PictureSurface& operator=(const PictureSurface&) = delete;

    // Size in twips. Changing it keeps what was drawn; a new strip is background (white).
    void setSizeTwips(int widthTwips, int heightTwips);
    int widthTwips() const { return m_widthTwips; }
    int heightTwips() const { return m_heightTwips; }
    double twipsPerPixel() const { return m_tpp; }
    double devicePixelRatio() const { return m_ratio; }
    // Size in logical pixels, whatever the device resolution.
    int widthPixels() const { return m_image.isNull() ? 0 : toPixels(m_widthTwips); }
    int heightPixels() const { return m_image.isNull() ? 0 : toPixels(m_heightTwips); }

    // Erase: the drawing becomes the picture (or plain background when there is none);
    // the current position goes back to (0, 0).
    void cls();
    void setPictureNone();
    void keepPicture();              // picture := copy of the drawing
    const QImage& image() const;
    const QImage& picture() const { return m_picture; }

    void setForeColor(const QColor& c) { m_foreColor = c; }
    QColor foreColor() const { return m_foreColor; }
    void setFillColor(const QColor& c) { m_fillColor = c; }
    void setFillSolid(bool solid) { m_fillSolid = solid; }
    QColor fillColor() const { return m_fillColor; }
    bool fillSolid() const { return m_fillSolid; }

    // Lines, boxes and circles in twips, in the fore colour unless one is given.
    // A line or box leaves the current position at its end point (x2, y2) and a circle
    // at its centre: text printed next without a position of its own starts there.
    void line(int x1, int y1, int x2, int y2);
    void line(int x1, int y1, int x2, int y2, const QColor& color);
    void box(int x1, int y1, int x2, int y2, const QColor& color);        // outline
    void filledBox(int x1, int y1, int x2, int y2, const QColor& color);  // solid
    void circle(int x, int y, int radius);   // outline in fore colour, filled when fill is solid

    // Text, at the current position, in the current font and fore colour.
    void setFont(const QString& name, double points, bool bold = false, bool underline = false);
    void setFontSize(double points);
    void setFontBold(bool bold);
    void setFontUnderline(bool underline);
    QFont font() const { return m_font; }
    // The font as text is really drawn: no antialiasing, so every pixel of a
    // character has the fore colour exactly. Use it for text drawn on canvas().
    QFont drawingFont() const;
    void setCurrentX(int x) { m_currentX = x; }
    void setCurrentY(int y) { m_currentY = y; }
    int currentX() const { return m_currentX; }
    int currentY() const { return m_currentY; }
    // Prints one line: text top-left at the current position; afterwards x goes to 0 and
    // y moves down by the font's line height (textHeight).
    void print(const QString& text);
    // Text drawn without moving the current position.
    void drawText(int x, int y, const QString& text);
    int textHeight() const;                      // line height in twips
    int textWidth(const QString& text) const;    // in twips

    // Direct access for the few drawings made with a painter of their own (rotated
    // text). A painter on it works in logical pixels, as the surface's own drawing
    // does. Call changed() after painting on it so a widget showing the surface repaints.
    QImage& canvas();
    int toPixels(double twips) const;   // nearest pixel, halves to even

    // Called after every change of the drawing (the picture-box widget repaints).
    void setChangeHandler(std::function<void()> handler) { m_onChanged = std::move(handler); }
    void changed() const { if (m_onChanged) m_onChanged(); }

    // Writes the picture (not the drawing) as a Windows bitmap; false with *error.
    bool savePicture(const QString& path, QString* error = nullptr) const;

private:
    void resizeImage(QImage& img, int w, int h) const;
    QImage blankImage(int w, int h) const;
    QSize deviceSize(int w, int h) const;   // of an image w x h logical pixels
    // One painter serves every line, box and circle of a drawing: opened by the first,
    // ended before anything else reads, shares or paints the image. Opening a painter
    // per call cost more than most of the lines it drew.
    QPainter& painter();
    void endPainting() const;
    // Before drawing: the drawing gets pixels of its own if it shares the picture's.
    void ownImage();
    std::function<void()> m_onChanged;
    double m_tpp;
    double m_ratio;
    int m_widthTwips = 0, m_heightTwips = 0;
    QImage m_image, m_picture;
    QColor m_foreColor = Qt::black, m_fillColor = Qt::black;
    bool m_fillSolid = false;
    QFont m_font;
    // m_font without antialiasing, kept beside it: a chart writes a thousand numbers
    // in one font, and a font made afresh for each looks its glyphs up again each time.
    QFont m_drawingFont;
    QString m_drawingFontKey;
    void fontChanged();
    // Texts laid out once per font: the Square of Nine writes the same numbers at
    // every calculation, and shaping them anew took most of a redraw.
    const QStaticText& staticText(const QString& text) const;
    mutable QHash<QString, QStaticText> m_textCache;
    mutable int m_lineHeight = -1;   // textHeight() of the current font, once asked

    // setFont's last request: a chart names its font before each of a thousand numbers.
    struct FontRequest {
        QString name;
        double points = 0;
        bool bold = false, underline = false;
        bool operator==(const FontRequest& o) const {
            return name == o.name && points == o.points && bold == o.bold && underline == o.underline;
        }
    };
    FontRequest m_fontRequest;

    // The device pixels a text covers, relative to where it is drawn. Without
    // antialiasing each pixel is either untouched or exactly the fore colour, so a text
    // drawn once is afterwards copied in as rows of that colour: the Square of Nine
    // writes the same numbers at every calculation. A text whose pixels are not all of
    // one colour or reach past its room (or a device pixel ratio that puts texts
    // between pixels) is left to the painter.
    struct TextPixels {
        struct Row { int y, x0, x1; };   // x1 exclusive
        std::vector<Row> rows;
        bool copyable = false;
    };
    TextPixels renderTextPixels(const QString& text) const;
    bool copyText(int x, int y, const QString& text);
    std::map<QString, QHash<QString, TextPixels>> m_textPixels;   // by font key
    QHash<QString, TextPixels>* m_fontTextPixels = nullptr;      // the current font's

    int m_currentX = 0, m_currentY = 0;
    // Last, so it ends before the images it paints on go.
    mutable std::unique_ptr<QPainter> m_painter;
};
