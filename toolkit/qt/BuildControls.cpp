#include "BuildControls.h"

#include "QtConvert.h"

#include <QFile>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QtEndian>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <stdexcept>

namespace tk::qt {

QString controlObjectName(std::string_view name, int index) {
    QString result = toQString(name);
    if (index >= 0) result += QStringLiteral("(%1)").arg(index);
    return result;
}

namespace {

QString picturePath(std::string_view name) {
    return QStringLiteral(":/pictures/") + toQString(name);
}

// The named picture the program carries (the Qt resources under :/pictures/); a null pixmap
// when it has none of that name.
QPixmap picture(std::string_view name) {
    return name.empty() ? QPixmap() : QPixmap(picturePath(name));
}

} // namespace

QIcon windowIcon(std::string_view name) {
    return name.empty() ? QIcon() : QIcon(picturePath(name));
}

QCursor mouseCursor(std::string_view name) {
    QFile file(picturePath(name));
    if (name.empty() || !file.open(QIODevice::ReadOnly)) return QCursor(Qt::ArrowCursor);
    const QByteArray bytes = file.readAll();
    const QImage image = QImage::fromData(bytes);
    // A cursor file keeps the hot spot of its first image where an icon file keeps the
    // planes and the bits per pixel: two 16-bit words from byte 10 on.
    constexpr qsizetype HotSpot = 10;
    if (image.isNull() || bytes.size() < HotSpot + 4) return QCursor(Qt::ArrowCursor);
    const auto word = [&bytes](qsizetype at) {
        return qFromLittleEndian<quint16>(bytes.constData() + at);
    };
    return QCursor(QPixmap::fromImage(image), word(HotSpot), word(HotSpot + 2));
}

namespace {

class Builder {
public:
    Builder(FormWidget& form, const WindowSpec& window, std::span<const ControlSpec> rows)
        : form_(form), window_(window), rows_(rows), scale_(Scale::ofPrimaryScreen()) {}

    ControlSet build();

private:
    QWidget* parentOf(const ControlSpec& row);
    QFrame* pictureBox(std::string_view name);
    void place(QWidget& widget, const ControlSpec& row);
    QWidget* create(const ControlSpec& row);
    QWidget* createLine(const ControlSpec& row);

    FormWidget& form_;
    const WindowSpec& window_;
    std::span<const ControlSpec> rows_;
    Scale scale_;
    struct PictureBox {
        QFrame* frame;
        QWidget* inside; // the area inside the border, which holds and clips the controls
    };
    std::map<std::string_view, PictureBox> pictureBoxes_;
    ControlSet set_;
};

const ControlSpec& findPictureBoxRow(std::span<const ControlSpec> rows, std::string_view name) {
    for (const ControlSpec& row : rows)
        if (row.kind == Kind::PictureBox && row.name == name) return row;
    throw std::invalid_argument("no picture box named " + std::string(name) +
                                " holds the controls placed in it");
}

// Picture boxes are made on first use, so that a container may come after its controls.
QFrame* Builder::pictureBox(std::string_view name) {
    if (const auto found = pictureBoxes_.find(name); found != pictureBoxes_.end())
        return found->second.frame;
    const ControlSpec& row = findPictureBoxRow(rows_, name);
    auto* frame = new QFrame(parentOf(row));
    frame->setFocusPolicy(Qt::NoFocus);
    if (row.border) frame->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setBackground(*frame, row.backColor.value_or(ButtonFace));
    place(*frame, row);
    // The controls of a picture box lie in the area inside its border: their positions
    // count from there and nothing of them is drawn over the border. That area carries the
    // picture box's name, as the parent of its controls; the frame around it is unnamed.
    frame->setObjectName(QString());
    auto* inside = new QWidget(frame);
    inside->setObjectName(controlObjectName(row.name, row.index));
    inside->setGeometry(frame->contentsRect());
    inside->setFocusPolicy(Qt::NoFocus);
    pictureBoxes_.emplace(name, PictureBox{frame, inside});
    return frame;
}

QWidget* Builder::parentOf(const ControlSpec& row) {
    if (row.container.empty()) return &form_;
    pictureBox(row.container);
    return pictureBoxes_.at(row.container).inside;
}

void Builder::place(QWidget& widget, const ControlSpec& row) {
    widget.setObjectName(controlObjectName(row.name, row.index));
    widget.setGeometry(scale_.x(row.left), scale_.y(row.top), scale_.x(row.width),
                       scale_.y(row.height));
    // Without a font of its own a control inherits the window's.
    if (row.font) widget.setFont(toQFont(*row.font));
}

// A line row holds the two end points; only level and upright lines are drawn.
QWidget* Builder::createLine(const ControlSpec& row) {
    auto* line = new QWidget(parentOf(row));
    line->setObjectName(controlObjectName(row.name, row.index));
    line->setAttribute(Qt::WA_TransparentForMouseEvents);
    line->setFocusPolicy(Qt::NoFocus);
    const int x1 = scale_.x(row.left), y1 = scale_.y(row.top);
    const int x2 = scale_.x(row.width), y2 = scale_.y(row.height);
    const int thickness = std::max(row.lineWidth, 1);
    const int before = (thickness - 1) / 2;
    if (std::abs(y2 - y1) <= std::abs(x2 - x1))
        line->setGeometry(std::min(x1, x2), y1 - before, std::max(std::abs(x2 - x1), 1), thickness);
    else
        line->setGeometry(x1 - before, std::min(y1, y2), thickness, std::max(std::abs(y2 - y1), 1));
    setBackground(*line, row.foreColor.value_or(SystemColorFlag | 8u));
    return line;
}

QWidget* Builder::create(const ControlSpec& row) {
    switch (row.kind) {
    case Kind::Label: {
        auto* widget = new LabelWidget(parentOf(row));
        place(*widget, row);
        auto label = std::make_unique<QtLabel>(widget, row);
        label->setEnabled(row.enabled);
        if (!row.cursor.empty()) widget->setCursor(mouseCursor(row.cursor));
        set_.labels.push_back({std::string(row.name), row.index, std::move(label)});
        return widget;
    }
    case Kind::TextBox: {
        auto* widget = new TextBoxWidget(parentOf(row));
        place(*widget, row);
        auto box = std::make_unique<QtTextBox>(widget, row);
        box->setEnabled(row.enabled);
        set_.textBoxes.push_back({std::string(row.name), row.index, std::move(box)});
        return widget;
    }
    case Kind::Button: {
        auto* widget = new ButtonWidget(parentOf(row));
        place(*widget, row);
        auto button = std::make_unique<QtButton>(widget, row);
        button->setEnabled(row.enabled);
        if (row.isDefault) form_.setDefaultButton(widget);
        if (row.isCancel) form_.setCancelButton(widget);
        set_.buttons.push_back({std::string(row.name), row.index, std::move(button)});
        return widget;
    }
    case Kind::PictureBox: {
        QFrame* frame = pictureBox(row.name);
        frame->setEnabled(row.enabled);
        return frame;
    }
    case Kind::Image: {
        // The picture at its own size in the top left corner; its transparent pixels show
        // what lies behind, the window and the images further back.
        auto* image = new QLabel(parentOf(row));
        image->setFocusPolicy(Qt::NoFocus);
        image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        image->setPixmap(picture(row.picture));
        place(*image, row);
        return image;
    }
    case Kind::Line:
        return createLine(row);
    case Kind::Timer:
        set_.timers.push_back({std::string(row.name), row.index, std::make_unique<QtTimer>(row)});
        return nullptr;
    }
    return nullptr;
}

ControlSet Builder::build() {
    std::vector<QWidget*> widgets;
    std::vector<QWidget*> focusOrder;
    for (const ControlSpec& row : rows_) {
        QWidget* widget = create(row);
        widgets.push_back(widget);
        if (row.kind == Kind::TextBox || row.kind == Kind::Button) focusOrder.push_back(widget);
    }
    // The earlier row lies in front: raise from the back row to the front one.
    for (auto it = widgets.rbegin(); it != widgets.rend(); ++it)
        if (*it != nullptr) (*it)->raise();
    for (std::size_t i = 1; i < focusOrder.size(); ++i)
        QWidget::setTabOrder(focusOrder[i - 1], focusOrder[i]);
    return std::move(set_);
}

} // namespace

ControlSet buildControls(FormWidget& form, const WindowSpec& window,
                         std::span<const ControlSpec> controls) {
    return Builder(form, window, controls).build();
}

} // namespace tk::qt
