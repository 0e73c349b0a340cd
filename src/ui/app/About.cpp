#include "ui/app/About.h"

#include "ui/app/EuropeMap.h"
#include "foundation/Installation.h"
#include "ui_About.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

// The Union's map, drawn from the outlines of the program directory; white when they are missing or damaged.
QImage UnionMap(const QSize& size) {
    try {
        return RenderEuropeanUnionMap(ReadEuropeOutlines(ProgramFile(u"data/europe-outlines.txt"_s)), size);
    } catch (const std::exception&) {
        QImage blank(size, QImage::Format_RGB32);
        blank.fill(Qt::white);
        return blank;
    }
}

QPainterPath Star(const QPointF& centre, double outerRadius) {
    QPainterPath star;
    const double innerRadius = outerRadius * 0.382;
    for (int i = 0; i < 10; ++i) {
        const double angle = -M_PI / 2 + i * M_PI / 5;
        const double r = i % 2 == 0 ? outerRadius : innerRadius;
        const QPointF p(centre.x() + r * std::cos(angle), centre.y() + r * std::sin(angle));
        i == 0 ? star.moveTo(p) : star.lineTo(p);
    }
    star.closeSubpath();
    return star;
}

} // namespace

QImage RenderEuropeanStars(int size) {
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(QColor(0, 51, 153));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 204, 0));
    // Twelve stars on a circle of a third of the picture, each of a ninth of its height across.
    const QPointF centre(size / 2.0, size / 2.0);
    const double circle = size / 3.0, starRadius = size / 18.0;
    for (int i = 0; i < 12; ++i) {
        const double angle = i * M_PI / 6;
        painter.drawPath(
            Star(centre + QPointF(circle * std::sin(angle), -circle * std::cos(angle)), starRadius));
    }
    return image;
}

TfrmAbout::TfrmAbout(QWidget* owner) : QDialog(owner), ui(std::make_unique<Ui::TfrmAbout>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(u"About KELVO"_s);
    QPalette aqua = palette();
    aqua.setColor(QPalette::Window, QColor(0, 255, 255));
    aqua.setColor(QPalette::WindowText, Qt::black);
    setPalette(aqua);
    setAutoFillBackground(true);

    ui->lblVersionF->setText(u"1.1"_s);
    ui->Image1->setPixmap(QPixmap::fromImage(RenderEuropeanStars(100)));
    ui->Image2->setPixmap(QPixmap::fromImage(UnionMap(ui->Image2->minimumSize())));
    FitMapToScreen();

    // A click on a picture or a text closes the box as well.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    if (const QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
}

TfrmAbout::~TfrmAbout() = default;

// On a screen too small for the whole box the map gives way, keeping its proportions, so that the box
// shows whole; room is kept for the title bar.
void TfrmAbout::FitMapToScreen() {
    const QScreen* screen = this->screen();
    if (!screen) return;
    const QSize room = screen->availableGeometry().size() -
                       QSize(0, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this));
    const QSize box = sizeHint();
    const QSize map = ui->Image2->minimumSize();
    if (box.width() <= room.width() && box.height() <= room.height()) return;
    const auto share = [](int size, int over) { return static_cast<double>(size - std::max(0, over)) / size; };
    const double factor = std::min(share(map.width(), box.width() - room.width()),
                                   share(map.height(), box.height() - room.height()));
    const QSize smaller = (QSizeF(map) * std::max(factor, 0.25)).toSize();
    ui->Image2->setFixedSize(smaller);
    ui->Image2->setPixmap(QPixmap::fromImage(UnionMap(smaller)));
}

void TfrmAbout::keyPressEvent(QKeyEvent*) {
    accept();
}

void TfrmAbout::mousePressEvent(QMouseEvent*) {
    accept();
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ShowAbout(QWidget* owner) {
    TfrmAbout about(owner);
    about.exec();
}
