#pragma once

#include "QtControl.h"
#include "QtDrawing.h"

#include "toolkit/Controls.h"
#include "toolkit/Native.h"

#include <QLabel>

namespace tk::qt {

// A label that reports left clicks to its control.
class LabelWidget final : public QLabel {
public:
    explicit LabelWidget(QWidget* parent) : QLabel(parent) {}
    void setOwner(Label* owner) { owner_ = owner; }
    // From now on the text is shown on one line with its words where they start at 96 dots
    // per inch, scaled (CaptionWords.h), and the label fits it.
    void placeWords(int dotsPerInch);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct Word {
        qreal x;
        QString text;
    };

    Label* owner_ = nullptr;
    bool wordsPlaced_ = false;
    QList<Word> words_;
};

class QtLabel final : public WidgetControl<NativeLabel, LabelWidget> {
public:
    // Shows the label's caption and colours with its row's border, alignment and sizing; the
    // widget's place and font are already set.
    QtLabel(LabelWidget* widget, Label& label, const Scale& scale);
    ~QtLabel() override;

    void setCaption(std::string_view caption) override;
    void setColors(Color fore, Color back) override;
    // Qt names a label by its text; a name that differs from it, the spoken form of a caption
    // with runs of blanks, takes its place.
    void setAccessibleName(std::string_view name) override;

private:
    bool transparent_;
    bool autoSize_;
    int dotsPerInch_;
};

} // namespace tk::qt
