// Draws the pictures and the icon of the program into a folder:
//   quorrel.ico       handshake icon, 32x32 and 16x16, 16 colours, with masks
//   quorrel-NN.png    the same art for desktop icon themes (16, 32, 128)
//   morning.bmp       mountain under a daytime sky, "午前", 334x130, 24-bit
//   afternoon.bmp     the mountain against a dusk sky, "午後", 334x130, 24-bit
//   placeholder.bmp   white canvas with a few dark red strokes, 512x384, 24-bit

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>

#include <array>
#include <cstdio>

namespace {

// The sixteen colours of the classic VGA palette, as 16-colour icons use.
const std::array<QRgb, 16> kPalette = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};

enum Colour { Black = 0, Teal = 6, Silver = 7, Grey = 8, Yellow = 11, Cyan = 14, White = 15 };

// The handshake on a 32-unit grid: a hand in a teal sleeve with a cyan cuff
// from the lower left, a hand in a grey sleeve with a yellow cuff from the
// upper right, clasped in the middle.
void drawHandshake(QPainter &p)
{
    const auto colour = [](Colour c) { return QColor::fromRgb(kPalette[c]); };
    p.setPen(QPen(colour(Black), 1));

    p.setBrush(colour(Teal));
    p.drawPolygon(QPolygonF({{0, 20}, {8, 14}, {12, 19}, {3, 27}, {0, 27}}));
    p.setBrush(colour(Cyan));
    p.drawPolygon(QPolygonF({{8, 14}, {11, 12}, {15, 17}, {12, 19}}));

    p.setBrush(colour(Grey));
    p.drawPolygon(QPolygonF({{31, 5}, {31, 12}, {24, 17}, {20, 12}, {28, 5}}));
    p.setBrush(colour(Yellow));
    p.drawPolygon(QPolygonF({{20, 12}, {24, 17}, {21, 19}, {17, 14}}));

    // The clasped hands, with the fingers of the upper hand over the lower.
    p.setBrush(colour(White));
    p.drawPolygon(QPolygonF({{11, 12}, {17, 10}, {21, 19}, {17, 23}, {12, 22}, {15, 17}}));
    p.setBrush(colour(Silver));
    p.drawPolygon(QPolygonF({{13, 16}, {19, 14}, {21, 19}, {18, 21}, {14, 20}}));
    p.drawLine(QPointF(15, 17.5), QPointF(20, 16));
    p.drawLine(QPointF(15.5, 19), QPointF(20.5, 18));
    p.setBrush(colour(White));
    p.drawEllipse(QRectF(9.5, 8.5, 4, 4)); // the lower hand's thumb
}

QImage renderHandshake(int size, bool smooth)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, smooth);
    p.scale(size / 32.0, size / 32.0);
    drawHandshake(p);
    return image;
}

int nearestPaletteIndex(QRgb rgb)
{
    int best = 0;
    int bestDistance = INT_MAX;
    for (int i = 0; i < 16; ++i) {
        const int dr = qRed(rgb) - qRed(kPalette[i]);
        const int dg = qGreen(rgb) - qGreen(kPalette[i]);
        const int db = qBlue(rgb) - qBlue(kPalette[i]);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

// The icon image as 16-colour pixels plus a transparency mask.
struct IconImage {
    int size;
    QImage pixels; // Indexed8 with kPalette
};

IconImage quantize(const QImage &art)
{
    QImage indexed(art.size(), QImage::Format_Indexed8);
    indexed.setColorTable(QList<QRgb>(kPalette.begin(), kPalette.end()) << qRgba(0, 0, 0, 0));
    for (int y = 0; y < art.height(); ++y)
        for (int x = 0; x < art.width(); ++x) {
            const QRgb rgb = art.pixel(x, y);
            indexed.setPixel(x, y, qAlpha(rgb) < 128 ? 16 : nearestPaletteIndex(rgb));
        }
    return {art.width(), indexed};
}

void append16(QByteArray &out, quint16 value)
{
    const quint16 le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char *>(&le), 2);
}

void append32(QByteArray &out, quint32 value)
{
    const quint32 le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char *>(&le), 4);
}

// BITMAPINFOHEADER, palette, 4-bit colour rows and 1-bit mask rows, bottom up.
QByteArray iconDib(const IconImage &icon)
{
    const int n = icon.size;
    const int colourRow = ((n * 4 + 31) / 32) * 4;
    const int maskRow = ((n + 31) / 32) * 4;
    QByteArray dib;
    append32(dib, 40);
    append32(dib, n);
    append32(dib, n * 2); // colour rows and mask rows together
    append16(dib, 1);
    append16(dib, 4);
    append32(dib, 0);
    append32(dib, (colourRow + maskRow) * n);
    append32(dib, 0);
    append32(dib, 0);
    append32(dib, 0);
    append32(dib, 0);
    for (QRgb rgb : kPalette) {
        dib.append(char(qBlue(rgb)));
        dib.append(char(qGreen(rgb)));
        dib.append(char(qRed(rgb)));
        dib.append(char(0));
    }
    for (int y = n - 1; y >= 0; --y) {
        QByteArray row(colourRow, 0);
        for (int x = 0; x < n; ++x) {
            int index = icon.pixels.pixelIndex(x, y);
            if (index == 16)
                index = 0; // transparent pixels are black under the mask
            row[x / 2] = char(row[x / 2] | (x % 2 ? index : index << 4));
        }
        dib.append(row);
    }
    for (int y = n - 1; y >= 0; --y) {
        QByteArray row(maskRow, 0);
        for (int x = 0; x < n; ++x)
            if (icon.pixels.pixelIndex(x, y) == 16)
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        dib.append(row);
    }
    return dib;
}

QByteArray icoFile(const QList<IconImage> &icons)
{
    QByteArray header;
    append16(header, 0);
    append16(header, 1);
    append16(header, quint16(icons.size()));
    QByteArray images;
    quint32 offset = 6 + 16 * quint32(icons.size());
    for (const IconImage &icon : icons) {
        const QByteArray dib = iconDib(icon);
        header.append(char(icon.size));
        header.append(char(icon.size));
        header.append(char(16)); // colours
        header.append(char(0));
        append16(header, 1);
        append16(header, 4);
        append32(header, quint32(dib.size()));
        append32(header, offset);
        offset += quint32(dib.size());
        images.append(dib);
    }
    return header + images;
}

void drawMountain(QPainter &p, const QColor &body, const QColor *snow)
{
    QPainterPath mountain;
    mountain.moveTo(0, 130);
    mountain.lineTo(0, 112);
    mountain.cubicTo(50, 100, 95, 70, 130, 38);
    mountain.lineTo(150, 30);
    mountain.lineTo(170, 40);
    mountain.cubicTo(205, 72, 250, 98, 334, 110);
    mountain.lineTo(334, 130);
    mountain.closeSubpath();
    p.fillPath(mountain, body);
    if (snow) {
        QPainterPath cap;
        cap.moveTo(112, 54);
        cap.lineTo(130, 38);
        cap.lineTo(150, 30);
        cap.lineTo(170, 40);
        cap.lineTo(188, 56);
        cap.lineTo(176, 52);
        cap.lineTo(166, 60);
        cap.lineTo(154, 50);
        cap.lineTo(141, 61);
        cap.lineTo(128, 51);
        cap.closeSubpath();
        p.fillPath(cap, *snow);
    }
}

void drawLabel(QPainter &p, const QString &text, const QColor &colour)
{
    // Two characters stacked at the right edge.
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(26);
    font.setBold(true);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(QRect(300, 8, 32, 30), Qt::AlignCenter, text.left(1));
    p.drawText(QRect(300, 38, 32, 30), Qt::AlignCenter, text.mid(1, 1));
}

QImage halfDayPicture(bool morning)
{
    QImage image(334, 130, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 130);
    if (morning) {
        sky.setColorAt(0, QColor(150, 200, 240));
        sky.setColorAt(1, QColor(225, 240, 252));
    } else {
        sky.setColorAt(0, QColor(60, 40, 110));
        sky.setColorAt(0.6, QColor(150, 90, 170));
        sky.setColorAt(1, QColor(230, 150, 170));
    }
    p.fillRect(image.rect(), sky);
    if (morning) {
        const QColor snow(255, 255, 255);
        drawMountain(p, QColor(90, 110, 140), &snow);
        drawLabel(p, QStringLiteral("午前"), QColor(0, 0, 255));
    } else {
        drawMountain(p, QColor(30, 20, 45), nullptr);
        drawLabel(p, QStringLiteral("午後"), QColor(0, 0, 128));
    }
    return image;
}

QImage placeholder()
{
    QImage image(512, 384, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(128, 0, 0), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath strokes;
    strokes.moveTo(60, 90);
    strokes.cubicTo(140, 40, 200, 150, 290, 80);
    strokes.moveTo(110, 220);
    strokes.cubicTo(170, 170, 230, 300, 330, 230);
    strokes.cubicTo(380, 200, 420, 240, 450, 210);
    strokes.moveTo(220, 320);
    strokes.lineTo(260, 290);
    strokes.lineTo(300, 330);
    p.drawPath(strokes);
    return image;
}

// A 24-bit bitmap whose rows run from the top down (a negative height), so
// that the program can draw its rows where they lie, without decoding them.
QByteArray topDownBmp(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "BMP"))
        return {};
    const auto field = [&bytes](int at) {
        return qFromLittleEndian<qint32>(bytes.constData() + at);
    };
    const qint32 offset = field(10);
    const qint32 height = field(22);
    const qsizetype stride = (bytes.size() - offset) / height;
    QByteArray flipped = bytes.left(offset);
    qToLittleEndian<qint32>(-height, flipped.data() + 22);
    for (qint32 row = height - 1; row >= 0; --row)
        flipped += bytes.mid(offset + row * stride, stride);
    return flipped;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return !bytes.isEmpty() && file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-resources OUTPUT-FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));

    const IconImage large = quantize(renderHandshake(32, false));
    const IconImage small = quantize(renderHandshake(16, false));
    bool ok = writeFile(out.filePath(QStringLiteral("quorrel.ico")), icoFile({large, small}));
    // The theme icons show exactly what the .ico shows; the large one is drawn
    // smooth from the same art.
    ok = ok
         && large.pixels.convertToFormat(QImage::Format_ARGB32)
                .save(out.filePath(QStringLiteral("quorrel-32.png")));
    ok = ok
         && small.pixels.convertToFormat(QImage::Format_ARGB32)
                .save(out.filePath(QStringLiteral("quorrel-16.png")));
    ok = ok && renderHandshake(128, true).save(out.filePath(QStringLiteral("quorrel-128.png")));
    ok =
        ok
        && writeFile(out.filePath(QStringLiteral("morning.bmp")), topDownBmp(halfDayPicture(true)));
    ok = ok
         && writeFile(out.filePath(QStringLiteral("afternoon.bmp")),
                      topDownBmp(halfDayPicture(false)));
    ok =
        ok && writeFile(out.filePath(QStringLiteral("placeholder.bmp")), topDownBmp(placeholder()));
    if (!ok) {
        std::fprintf(stderr, "make-resources: could not write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
