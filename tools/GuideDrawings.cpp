// The drawings of the program's pictures, made with the library's own canvas.
#include "tools/GuideDrawings.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace tools {

using namespace ui;

namespace {

constexpr TColor kPaper = 0xF4FBFF;       // warm white
constexpr TColor kInk = 0x402000;         // dark navy for text
constexpr TColor kDevice = 0xC08040;      // blue-grey device box
constexpr TColor kDeviceDark = 0x804000;
constexpr TColor kLineCable = 0x3090F0;   // orange telephone cable
constexpr TColor kUsbCable = 0x303030;
constexpr TColor kModemCable = 0x40A040;  // green network cable
constexpr TColor kPhone = 0x2020B0;       // red telephone
constexpr TColor kSplitter = 0xE0E0E0;

// A canvas with the drawing helpers the guides share; `k` scales the sizes of the parts.
class TSketch {
public:
    TSketch(TBitmap& bitmap, double k) : Bitmap(&bitmap), C(bitmap.Canvas()), K(k) {}

    int S(double v) const { return static_cast<int>(std::lround(v * K)); }

    void Font(int height, bool bold = false, TColor colour = kInk)
    {
        C.Font().SetName(L"Tahoma");
        C.Font().SetHeight(-std::max(7, S(height)));
        C.Font().SetStyle(bold ? TFontStyles{TFontStyle::fsBold} : TFontStyles{});
        C.Font().SetColor(colour);
    }

    // Text centred on (x, y).
    void Text(int x, int y, const std::wstring& text, UINT align = DT_CENTER)
    {
        SIZE s = C.TextExtent(text);
        int left = align == DT_CENTER ? x - s.cx / 2 : align == DT_RIGHT ? x - s.cx : x;
        C.Brush().SetStyle(TBrushStyle::bsClear);
        C.TextOut(left, y - s.cy / 2, text);
    }

    void Box(const TRect& r, TColor fill, TColor line, int radius = 0)
    {
        C.Brush().SetColor(fill);
        C.Pen().SetColor(line);
        C.Pen().SetWidth(std::max(1, S(1.5)));
        if (radius > 0)
            C.RoundRect(r.left, r.top, r.right, r.bottom, radius, radius);
        else
            C.Rectangle(r);
        C.Pen().SetWidth(1);
    }

    void Cable(const std::vector<TPoint>& points, TColor colour, int width)
    {
        C.Pen().SetColor(colour);
        C.Pen().SetWidth(std::max(2, S(width)));
        C.Polyline(points);
        C.Pen().SetWidth(1);
    }

    // A round socket on a device edge with its label.
    void Socket(int x, int y)
    {
        C.Brush().SetColor(0x202020);
        C.Pen().SetColor(0x101010);
        int r = std::max(2, S(4));
        C.Rectangle(x - r, y - r, x + r, y + r);
    }

    // A wall socket plate centred on (x, y).
    void WallSocket(int x, int y, const std::wstring& label)
    {
        int w = S(26), h = S(32);
        Box(Bounds(x - w / 2, y - h / 2, w, h), clWhite, 0x808080, S(6));
        C.Brush().SetColor(0x303030);
        C.Pen().SetColor(0x303030);
        C.Rectangle(x - S(6), y - S(4), x + S(6), y + S(5));
        Font(9);
        Text(x, y + h / 2 + S(9), label);
    }

    // A desk telephone centred on (x, y).
    void Telephone(int x, int y, const std::wstring& label)
    {
        int w = S(44), h = S(26);
        C.Brush().SetColor(kPhone);
        C.Pen().SetColor(0x101060);
        C.Polygon({{x - w / 2, y + h / 2}, {x - w / 2 + S(8), y - h / 2 + S(6)}, {x + w / 2 - S(8), y - h / 2 + S(6)},
                   {x + w / 2, y + h / 2}});
        // The handset lying on top.
        Box(Rect(x - w / 2 - S(2), y - h / 2 - S(4), x + w / 2 + S(2), y - h / 2 + S(5)), kPhone, 0x101060, S(8));
        C.Brush().SetColor(clWhite);
        C.Pen().SetColor(clWhite);
        for (int row = 0; row < 2; ++row)
            for (int col = 0; col < 3; ++col) {
                int kx = x - S(8) + col * S(8), ky = y + S(2) + row * S(6);
                C.Rectangle(kx - S(2), ky - S(1.5), kx + S(2), ky + S(1.5));
            }
        Font(9);
        Text(x, y + h / 2 + S(9), label);
    }

    // A desktop computer whose top centre is (x, y).
    void Computer(int x, int y)
    {
        int w = S(70), h = S(48);
        Box(Bounds(x - w / 2, y, w, h), 0xD0D0D0, 0x606060, S(4));
        C.Brush().SetColor(0x904010);
        C.Pen().SetColor(0x904010);
        C.Rectangle(x - w / 2 + S(5), y + S(5), x + w / 2 - S(5), y + h - S(6));
        C.Brush().SetColor(0x909090);
        C.Pen().SetColor(0x606060);
        C.Rectangle(x - S(6), y + h, x + S(6), y + h + S(7));
        C.Rectangle(x - S(24), y + h + S(7), x + S(24), y + h + S(11));
        Font(9, true);
        Text(x, y + h + S(20), L"Bilgisayar");
    }

    TBitmap* Bitmap;
    TCanvas& C;
    double K;
};

// The caller-ID device: a box with one input ("HAT") and one output ("TEL") socket per line,
// and its USB cable leaving at the bottom. Returns the socket positions.
struct TDevicePorts {
    std::vector<TPoint> Lines, Phones;
    TPoint Usb;
};

TDevicePorts DrawDevice(TSketch& s, const TRect& r, int lines)
{
    s.Box(r, kDevice, kDeviceDark, s.S(10));
    s.Font(10, true, clWhite);
    s.Text((r.left + r.right) / 2, r.top + s.S(12), L"Caller ID Cihazı");
    // A green lamp: the device is powered from the computer.
    s.C.Brush().SetColor(0x00D000);
    s.C.Pen().SetColor(0x006000);
    s.C.Ellipse(r.right - s.S(14), r.top + s.S(6), r.right - s.S(7), r.top + s.S(13));
    TDevicePorts ports;
    int top = r.top + s.S(30), bottom = r.bottom - s.S(14);
    for (int i = 0; i < lines; ++i) {
        int y = lines == 1 ? (top + bottom) / 2 : top + (bottom - top) * i / (lines - 1);
        ports.Lines.push_back({r.left, y});
        ports.Phones.push_back({r.right, y});
        s.Socket(r.left + s.S(6), y);
        s.Socket(r.right - s.S(6), y);
        s.Font(8, false, clWhite);
        s.Text(r.left + s.S(14), y, L"HAT " + std::to_wstring(i + 1), DT_LEFT);
        s.Text(r.right - s.S(14), y, L"TEL " + std::to_wstring(i + 1), DT_RIGHT);
    }
    ports.Usb = {(r.left + r.right) / 2, r.bottom};
    return ports;
}

// The ADSL splitter: input from the wall, outputs "telefon" and "modem".
struct TSplitterPorts {
    TPoint Line, Phone, Modem;
};

TSplitterPorts DrawSplitter(TSketch& s, const TRect& r)
{
    s.Box(r, kSplitter, 0x505050, s.S(8));
    s.Font(10, true);
    s.Text((r.left + r.right) / 2, r.top + s.S(12), L"ADSL Splitter");
    int mid = (r.top + r.bottom) / 2;
    TSplitterPorts p{{r.left, mid + s.S(6)}, {r.right, mid - s.S(4)}, {r.right, r.bottom - s.S(12)}};
    s.Socket(r.left + s.S(6), p.Line.y);
    s.Socket(r.right - s.S(6), p.Phone.y);
    s.Socket(r.right - s.S(6), p.Modem.y);
    s.Font(8);
    s.Text(r.left + s.S(14), p.Line.y, L"hat", DT_LEFT);
    s.Text(r.right - s.S(14), p.Phone.y, L"telefon", DT_RIGHT);
    s.Text(r.right - s.S(14), p.Modem.y, L"modem", DT_RIGHT);
    return p;
}

std::unique_ptr<TBitmap> Paper(int width, int height)
{
    auto b = std::make_unique<TBitmap>(width, height);
    TCanvas& c = b->Canvas();
    c.Brush().SetColor(kPaper);
    c.FillRect(Rect(0, 0, width, height));
    c.Brush().SetColor(0xA08060);
    c.FrameRect(Rect(0, 0, width, height));
    return b;
}

void DrawLinesGuide(TSketch& s, int w, int h, int lines, const std::wstring& title)
{
    s.Font(14, true);
    s.Text(w / 2, s.S(16), title);
    int deviceTop = s.S(40), deviceBottom = h * (lines > 2 ? 64 : 58) / 100;
    TRect device = Rect(w * 36 / 100, deviceTop, w * 64 / 100, deviceBottom);
    TDevicePorts ports = DrawDevice(s, device, lines);
    // Sockets and telephones shrink so that one per line fits beside the device.
    double spacing = lines > 1 ? double(ports.Lines[1].y - ports.Lines[0].y) : 1e9;
    TSketch items(*s.Bitmap, std::min(s.K, spacing / 58.0));
    for (int i = 0; i < lines; ++i) {
        std::wstring n = lines == 1 ? L"" : L" " + std::to_wstring(i + 1);
        TPoint wall{w * 10 / 100, ports.Lines[i].y};
        TPoint phone{w * 88 / 100, ports.Phones[i].y};
        s.Cable({{wall.x + items.S(13), wall.y}, ports.Lines[i]}, kLineCable, 3);
        s.Cable({ports.Phones[i], {phone.x - items.S(24), phone.y}}, kLineCable, 3);
        items.WallSocket(wall.x, wall.y, L"Duvar prizi" + n);
        items.Telephone(phone.x, phone.y, L"Telefon" + n);
    }
    int computerTop = h * 68 / 100;
    TPoint computer{w / 2, computerTop};
    s.Cable({ports.Usb, {computer.x, computer.y}}, kUsbCable, 3);
    s.Font(8);
    s.Text(computer.x + s.S(8), (ports.Usb.y + computer.y) / 2, L"USB kablosu", DT_LEFT);
    s.Computer(computer.x, computer.y);
    s.Font(8);
    s.Text(w * 23 / 100, ports.Lines[0].y - s.S(10), L"telefon hattı");
}

void DrawAdslGuide(TSketch& s, int w, int h)
{
    s.Font(14, true);
    s.Text(w / 2, s.S(16), L"İnternet hattının cihaza bağlantısı");
    TPoint wall{w * 8 / 100, h * 32 / 100};
    TSplitterPorts sp = DrawSplitter(s, Rect(w * 18 / 100, h * 20 / 100, w * 36 / 100, h * 46 / 100));
    TDevicePorts dp = DrawDevice(s, Rect(w * 50 / 100, h * 15 / 100, w * 72 / 100, h * 40 / 100), 1);
    TPoint phone{w * 88 / 100, dp.Phones[0].y};
    TRect modem = Rect(w * 44 / 100, h * 52 / 100, w * 60 / 100, h * 62 / 100);
    TPoint computer{w * 80 / 100, h * 56 / 100};

    s.Cable({{wall.x + s.S(13), wall.y}, {sp.Line.x - s.S(10), wall.y}, {sp.Line.x - s.S(10), sp.Line.y}, sp.Line},
            kLineCable, 3);
    s.Cable({sp.Phone, {(sp.Phone.x + dp.Lines[0].x) / 2, sp.Phone.y}, {(sp.Phone.x + dp.Lines[0].x) / 2, dp.Lines[0].y},
             dp.Lines[0]},
            kLineCable, 3);
    s.Cable({dp.Phones[0], {phone.x - s.S(24), phone.y}}, kLineCable, 3);
    s.Cable({sp.Modem, {modem.left - s.S(12), sp.Modem.y}, {modem.left - s.S(12), (modem.top + modem.bottom) / 2},
             {modem.left, (modem.top + modem.bottom) / 2}},
            kLineCable, 3);
    s.Cable({{modem.right, (modem.top + modem.bottom) / 2}, {computer.x - s.S(36), (modem.top + modem.bottom) / 2}},
            kModemCable, 3);
    s.Cable({dp.Usb, {dp.Usb.x, computer.y - s.S(10)}, {computer.x, computer.y - s.S(10)}, {computer.x, computer.y}},
            kUsbCable, 3);

    s.WallSocket(wall.x, wall.y, L"Duvar prizi");
    s.Telephone(phone.x, phone.y, L"Telefon");
    s.Box(modem, 0x404040, 0x202020, s.S(6));
    s.Font(9, true, clWhite);
    s.Text((modem.left + modem.right) / 2, (modem.top + modem.bottom) / 2, L"ADSL Modem");
    s.Computer(computer.x, computer.y);
    s.Font(8);
    s.Text(dp.Usb.x + s.S(6), dp.Usb.y + s.S(10), L"USB kablosu", DT_LEFT);
    s.Font(9, false, 0x0000A0);
    s.Text(w / 2, h * 84 / 100, L"Cihaz, splitter'ın \"telefon\" çıkışına bağlanır; modem \"modem\" çıkışına.");
    s.Text(w / 2, h * 91 / 100, L"Cihazı hatta doğrudan bağlamayın.");
}

void DrawSplitterGuide(TSketch& s, int w, int h)
{
    s.Font(14, true);
    s.Text(w / 2, s.S(16), L"ADSL splitter nedir ?");
    TSplitterPorts sp = DrawSplitter(s, Rect(w * 32 / 100, h * 22 / 100, w * 68 / 100, h * 60 / 100));
    TPoint wall{w * 12 / 100, sp.Line.y};
    s.Cable({{wall.x + s.S(13), wall.y}, sp.Line}, kLineCable, 3);
    s.WallSocket(wall.x, wall.y, L"Duvar prizi");
    s.Cable({sp.Phone, {w * 86 / 100, sp.Phone.y}}, kLineCable, 3);
    s.Cable({sp.Modem, {w * 86 / 100, sp.Modem.y}}, kLineCable, 3);
    s.Font(9, true);
    s.Text(w * 87 / 100, sp.Phone.y - s.S(12), L"cihaz ve telefon", DT_RIGHT);
    s.Text(w * 87 / 100, sp.Modem.y + s.S(12), L"ADSL modem", DT_RIGHT);
    s.Font(9, false, 0x0000A0);
    s.Text(w / 2, h * 72 / 100, L"Splitter, hattaki internet sinyalini");
    s.Text(w / 2, h * 79 / 100, L"telefon sinyalinden ayırır.");
    s.Text(w / 2, h * 88 / 100, L"Modemle birlikte verilen bir cihazdır.");
}

} // namespace

std::unique_ptr<TBitmap> DrawGuide(TGuideKind kind, int width, int height)
{
    auto b = Paper(width, height);
    TSketch s(*b, std::min(width / 420.0, height / 330.0) * 1.1);
    switch (kind) {
    case TGuideKind::SingleLine: DrawLinesGuide(s, width, height, 1, L"Tek hatlı cihaz bağlantısı"); break;
    case TGuideKind::TwoLines: DrawLinesGuide(s, width, height, 2, L"2 hatlı cihaz bağlantısı"); break;
    case TGuideKind::FourLines: DrawLinesGuide(s, width, height, 4, L"4 hatlı cihaz bağlantısı"); break;
    case TGuideKind::AdslLine: DrawAdslGuide(s, width, height); break;
    case TGuideKind::Splitter: DrawSplitterGuide(s, width, height); break;
    }
    return b;
}

std::unique_ptr<TBitmap> DrawDeviceThumbnail(int width, int height)
{
    auto b = std::make_unique<TBitmap>(width, height);
    b->Canvas().Brush().SetColor(clWhite);
    b->Canvas().FillRect(Rect(0, 0, width, height)); // white: left out when drawn transparently
    TSketch s(*b, width / 96.0);
    s.Cable({{s.S(4), s.S(30)}, {s.S(22), s.S(30)}}, kLineCable, 2);
    s.Box(Rect(s.S(22), s.S(14), s.S(54), s.S(46)), kDevice, kDeviceDark, s.S(6));
    s.Font(7, true, clWhite);
    s.Text(s.S(38), s.S(24), L"ID");
    s.Cable({{s.S(54), s.S(30)}, {s.S(66), s.S(30)}}, kLineCable, 2);
    s.Telephone(s.S(80), s.S(28), L"");
    s.Cable({{s.S(38), s.S(46)}, {s.S(38), s.S(62)}}, kUsbCable, 2);
    return b;
}

std::unique_ptr<TBitmap> DrawInternetThumbnail(int width, int height)
{
    auto b = std::make_unique<TBitmap>(width, height);
    b->Canvas().Brush().SetColor(clWhite);
    b->Canvas().FillRect(Rect(0, 0, width, height));
    TSketch s(*b, width / 96.0);
    s.Cable({{s.S(2), s.S(34)}, {s.S(14), s.S(34)}}, kLineCable, 2);
    s.Box(Rect(s.S(14), s.S(18), s.S(44), s.S(50)), kSplitter, 0x505050, s.S(6));
    s.Font(7, true);
    s.Text(s.S(29), s.S(34), L"ADSL");
    s.Cable({{s.S(44), s.S(26)}, {s.S(60), s.S(26)}}, kLineCable, 2);
    s.Cable({{s.S(44), s.S(42)}, {s.S(60), s.S(42)}}, kLineCable, 2);
    s.Box(Rect(s.S(60), s.S(16), s.S(90), s.S(34)), kDevice, kDeviceDark, s.S(4));
    s.Box(Rect(s.S(60), s.S(36), s.S(90), s.S(50)), 0x404040, 0x202020, s.S(4));
    return b;
}

std::unique_ptr<TBitmap> DrawProgramIcon(int size)
{
    auto b = std::make_unique<TBitmap>(size, size);
    TCanvas& c = b->Canvas();
    c.Brush().SetColor(clFuchsia);
    c.FillRect(Rect(0, 0, size, size));
    TSketch s(*b, size / 32.0);
    s.Box(Rect(0, 0, size, size), 0xC06020, 0x803000, s.S(8));
    // A white handset, drawn as a thick arc with two ear pieces.
    c.Brush().SetColor(clWhite);
    c.Pen().SetColor(clWhite);
    c.Polygon({{s.S(5), s.S(10)}, {s.S(11), s.S(6)}, {s.S(13), s.S(10)}, {s.S(10), s.S(13)},
               {s.S(13), s.S(19)}, {s.S(19), s.S(22)}, {s.S(22), s.S(19)}, {s.S(26), s.S(21)},
               {s.S(22), s.S(27)}, {s.S(13), s.S(24)}, {s.S(6), s.S(17)}});
    if (size >= 32) {
        s.Font(9, true, 0x00FFFF);
        s.Text(s.S(24), s.S(9), L"ID");
    }
    return b;
}

std::unique_ptr<TBitmap> DrawGuideIcon(int size)
{
    auto b = std::make_unique<TBitmap>(size, size);
    TCanvas& c = b->Canvas();
    c.Brush().SetColor(clFuchsia);
    c.FillRect(Rect(0, 0, size, size));
    TSketch s(*b, size / 16.0);
    s.Box(Rect(s.S(1), s.S(1), s.S(15), s.S(15)), clWhite, 0x606060, s.S(4));
    c.Brush().SetColor(0x202020);
    c.Pen().SetColor(0x202020);
    c.Rectangle(s.S(5), s.S(5), s.S(11), s.S(10));
    c.Brush().SetColor(kLineCable);
    c.Pen().SetColor(kLineCable);
    c.Rectangle(s.S(7), s.S(10), s.S(9), s.S(15));
    return b;
}

std::unique_ptr<TBitmap> DrawCursor(TCursorKind kind, int& hotX, int& hotY)
{
    auto b = std::make_unique<TBitmap>(32, 32);
    TCanvas& c = b->Canvas();
    c.Brush().SetColor(clFuchsia);
    c.FillRect(Rect(0, 0, 32, 32));
    c.Brush().SetColor(clWhite);
    c.Pen().SetColor(clBlack);
    std::vector<TPoint> arrow = {{0, 0}, {0, 16}, {4, 12}, {7, 19}, {9, 18}, {6, 11}, {11, 11}};
    auto mirrored = [](std::vector<TPoint> pts) {
        for (TPoint& p : pts)
            p.x = 31 - p.x;
        return pts;
    };
    auto dot = [&](int x, int y) { c.Ellipse(x - 3, y - 3, x + 4, y + 4); };
    switch (kind) {
    case TCursorKind::HorzSplit:
        c.Rectangle(14, 6, 18, 26);
        c.Polygon({{2, 16}, {8, 10}, {8, 14}, {13, 14}, {13, 18}, {8, 18}, {8, 22}});
        c.Polygon({{29, 16}, {23, 10}, {23, 14}, {18, 14}, {18, 18}, {23, 18}, {23, 22}});
        hotX = 16;
        hotY = 16;
        break;
    case TCursorKind::ColumnNoDrag:
        c.Polygon(arrow);
        c.Brush().SetColor(clBlack);
        c.Ellipse(14, 14, 30, 30);
        c.Brush().SetColor(clWhite);
        c.Ellipse(17, 17, 27, 27);
        c.Pen().SetWidth(3);
        c.MoveTo(19, 19);
        c.LineTo(26, 26);
        c.Pen().SetWidth(1);
        hotX = 0;
        hotY = 0;
        break;
    case TCursorKind::IndicatorSelect:
        c.Polygon({{4, 12}, {16, 12}, {16, 6}, {27, 16}, {16, 26}, {16, 20}, {4, 20}});
        hotX = 27;
        hotY = 16;
        break;
    case TCursorKind::Roll:
        c.Polygon({{16, 2}, {22, 9}, {10, 9}});
        c.Polygon({{16, 30}, {22, 23}, {10, 23}});
        dot(16, 16);
        hotX = 16;
        hotY = 16;
        break;
    case TCursorKind::RollUp:
        c.Polygon({{16, 2}, {22, 9}, {10, 9}});
        dot(16, 16);
        hotX = 16;
        hotY = 16;
        break;
    case TCursorKind::RollDown:
        c.Polygon({{16, 30}, {22, 23}, {10, 23}});
        dot(16, 16);
        hotX = 16;
        hotY = 16;
        break;
    case TCursorKind::ReversedArrow:
        c.Polygon(mirrored(arrow));
        hotX = 31;
        hotY = 0;
        break;
    }
    return b;
}

} // namespace tools
