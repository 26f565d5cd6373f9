#include "gdi/GdiObjects.h"

#include "core/Application.h"
#include "windows/WindowState.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

namespace platform::detail {
namespace {

struct Table {
    std::unordered_map<std::uintptr_t, GdiObject> objects;
    std::uintptr_t next = 0x10000;
    std::vector<std::uintptr_t> stock;
};

Table& Objects() {
    static Table table;
    return table;
}

std::uintptr_t Key(const void* handle) {
    return reinterpret_cast<std::uintptr_t>(handle);
}

// Freed pixel memory waiting for a bitmap of the same size.
struct Pool {
    static constexpr std::size_t kMaxBytes = 32u << 20;
    static constexpr std::size_t kMaxBuffers = 24;
    std::vector<std::pair<std::size_t, std::unique_ptr<BYTE[]>>> free;
    std::size_t bytes = 0;
    bool alive = true;
    ~Pool() { alive = false; }
};

Pool& Buffers() {
    static Pool pool;
    return pool;
}

platform::WindowCopyHook g_copyHook;

bool g_pacing = [] {
    const char* v = std::getenv("TOVALO_FRAME_PACING");
    return !(v && std::strcmp(v, "0") == 0);
}();

} // namespace

DibBuffer::DibBuffer(std::size_t bytes) : m_bytes(bytes) {
    Pool& pool = Buffers();
    auto it = std::find_if(pool.free.begin(), pool.free.end(),
                           [&](const auto& entry) { return entry.first == bytes; });
    if (it != pool.free.end()) {
        m_data = std::move(it->second);
        pool.bytes -= bytes;
        pool.free.erase(it);
        return;
    }
    m_data.reset(new (std::nothrow) BYTE[bytes]());
}

DibBuffer::~DibBuffer() {
    Pool& pool = Buffers();
    if (!m_data || !pool.alive || m_bytes > Pool::kMaxBytes)
        return;
    while (!pool.free.empty() &&
           (pool.bytes + m_bytes > Pool::kMaxBytes || pool.free.size() >= Pool::kMaxBuffers)) {
        pool.bytes -= pool.free.front().first;
        pool.free.erase(pool.free.begin());
    }
    pool.bytes += m_bytes;
    pool.free.emplace_back(m_bytes, std::move(m_data));
}

namespace {

// A 32-bit picture's pixels. Writing makes them the picture's own first (Qt copies pixels it
// shares); reading leaves them shared.
PixelView ImageView(QImage& image, bool write) {
    BYTE* top = write ? image.bits() : const_cast<BYTE*>(std::as_const(image).constBits());
    return PixelView{top, image.bytesPerLine(), image.width(), image.height(), 4};
}

} // namespace

PixelView GdiBitmap::View(bool write) {
    if (!dib)
        return image.isNull() ? PixelView{nullptr, 0, width, height, 4} : ImageView(image, write);
    return PixelView{bottomUp ? dib->data() + (height - 1) * dibStride : dib->data(),
                     bottomUp ? -dibStride : dibStride, width, height, 3};
}

GdiObject* Lookup(const void* handle) {
    auto& objects = Objects().objects;
    auto it = objects.find(Key(handle));
    return it == objects.end() ? nullptr : &it->second;
}

GdiBitmap* LookupBitmap(const void* handle) {
    GdiObject* o = Lookup(handle);
    return o ? std::get_if<GdiBitmap>(o) : nullptr;
}

GdiPen* LookupPen(const void* handle) {
    GdiObject* o = Lookup(handle);
    return o ? std::get_if<GdiPen>(o) : nullptr;
}

GdiBrush* LookupBrush(const void* handle) {
    GdiObject* o = Lookup(handle);
    return o ? std::get_if<GdiBrush>(o) : nullptr;
}

GdiDc* LookupDc(const void* handle) {
    GdiObject* o = Lookup(handle);
    return o ? std::get_if<GdiDc>(o) : nullptr;
}

void* Insert(GdiObject object) {
    Table& table = Objects();
    std::uintptr_t key = table.next;
    table.next += 16;
    table.objects.emplace(key, std::move(object));
    return reinterpret_cast<void*>(key);
}

bool Erase(const void* handle) {
    return Objects().objects.erase(Key(handle)) > 0;
}

bool IsStock(const void* handle) {
    const auto& stock = Objects().stock;
    return std::find(stock.begin(), stock.end(), Key(handle)) != stock.end();
}

int LiveCount() {
    const Table& table = Objects();
    return static_cast<int>(table.objects.size() - table.stock.size());
}

namespace {

void* InsertStock(GdiObject object) {
    void* handle = Insert(std::move(object));
    Objects().stock.push_back(Key(handle));
    return handle;
}

} // namespace

HBITMAP StockBitmap() {
    static HBITMAP bitmap = [] {
        GdiBitmap b;
        b.image = QImage(1, 1, QImage::Format_RGB32);
        b.image.fill(Qt::black);
        b.width = b.height = 1;
        return static_cast<HBITMAP>(InsertStock(std::move(b)));
    }();
    return bitmap;
}

HPEN StockPen() {
    static HPEN pen = [] {
        GdiPen p;
        p.log = LOGPEN{PS_SOLID, POINT{1, 0}, RGB(0, 0, 0)};
        return static_cast<HPEN>(InsertStock(p));
    }();
    return pen;
}

HBRUSH StockBrush(int which) {
    static HBRUSH white = static_cast<HBRUSH>(InsertStock(GdiBrush{RGB(255, 255, 255)}));
    static HBRUSH black = static_cast<HBRUSH>(InsertStock(GdiBrush{RGB(0, 0, 0)}));
    return which == BLACK_BRUSH ? black : white;
}

bool AllocateDib(GdiBitmap& bitmap, int width, int height, bool bottomUp) {
    bitmap.width = width;
    bitmap.height = height;
    bitmap.bottomUp = bottomUp;
    bitmap.dibStride = (static_cast<std::ptrdiff_t>(width) * 3 + 3) & ~std::ptrdiff_t{3};
    bitmap.dib = std::make_unique<DibBuffer>(static_cast<std::size_t>(bitmap.dibStride) * height);
    return bitmap.dib->data() != nullptr;
}

HBITMAP CreateBitmapFromImage(const QImage& image, bool dib24) {
    if (image.isNull())
        return nullptr;
    GdiBitmap b;
    b.width = image.width();
    b.height = image.height();
    QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    if (!dib24) {
        b.image = std::move(rgb);
        return static_cast<HBITMAP>(Insert(std::move(b)));
    }
    if (!AllocateDib(b, b.width, b.height, true))
        return nullptr;
    PixelView view = b.View();
    for (int y = 0; y < b.height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < b.width; ++x)
            view.Write(x, y, row[x] & 0xFFFFFF);
    }
    return static_cast<HBITMAP>(Insert(std::move(b)));
}

QImage ImageOfBitmap(HBITMAP bitmap) {
    GdiBitmap* b = LookupBitmap(bitmap);
    if (!b)
        return {};
    if (!b->dib)
        return b->image.copy();
    QImage image(b->width, b->height, QImage::Format_RGB32);
    PixelView view = b->View();
    for (int y = 0; y < b->height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < b->width; ++x)
            row[x] = 0xFF000000u | view.Read(x, y);
    }
    return image;
}

PixelView ViewOf(HDC dc, bool write) {
    GdiDc* d = LookupDc(dc);
    if (!d)
        return {};
    if (d->kind == DcKind::Window) {
        WindowState* state = WindowState::Of(d->window);
        return state ? ImageView(state->Screen(), write) : PixelView{};
    }
    if (d->kind == DcKind::Memory) {
        if (GdiBitmap* b = LookupBitmap(d->bitmap))
            return b->View(write);
    }
    return {};
}

QImage* PaintableImageOf(HDC dc) {
    GdiDc* d = LookupDc(dc);
    if (!d)
        return nullptr;
    if (d->kind == DcKind::Window) {
        WindowState* state = WindowState::Of(d->window);
        return state ? &state->Screen() : nullptr;
    }
    GdiBitmap* b = d->kind == DcKind::Memory ? LookupBitmap(d->bitmap) : nullptr;
    return b && !b->dib && !b->image.isNull() ? &b->image : nullptr;
}

namespace {

void WaitForNextFrame() {
    using Clock = std::chrono::steady_clock;
    static Clock::time_point next;
    static Clock::duration interval = [] {
        double hz = 60;
        if (QScreen* screen = QGuiApplication::primaryScreen())
            hz = screen->refreshRate() >= 20 ? screen->refreshRate() : 60;
        return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1 / hz));
    }();
    Clock::time_point now = Clock::now();
    if (now < next)
        std::this_thread::sleep_until(next);
    next = std::max(now, next) + interval;
}

} // namespace

void PresentCopy(HDC dc, const QRect& area) {
    GdiDc* d = LookupDc(dc);
    if (!d || d->kind != DcKind::Window)
        return;
    WindowState* state = WindowState::Of(d->window);
    if (!state)
        return;
    ++state->copies;
    if (g_copyHook) {
        const HWND window = d->window;
        g_copyHook(window, RECT{area.left(), area.top(), area.right() + 1, area.bottom() + 1});
        if ((state = WindowState::Of(window)) == nullptr)
            return;
    }
    if (state->painting || !state->widget || !state->widget->isVisible())
        return;
    if (g_pacing)
        WaitForNextFrame();
    // The widget shows the screen image as it now is; no paint message is sent meanwhile.
    state->painting = true;
    state->widget->repaint(area);
    if ((state = WindowState::Of(d->window)) != nullptr)
        state->painting = false;
}

void ShowPainted(HDC dc, const QRect& area) {
    GdiDc* d = LookupDc(dc);
    WindowState* state = d && d->kind == DcKind::Window ? WindowState::Of(d->window) : nullptr;
    if (state && state->widget)
        state->widget->update(area);
}

} // namespace platform::detail

namespace platform {

void SetWindowCopyHook(WindowCopyHook hook) {
    detail::g_copyHook = std::move(hook);
}

void SetFramePacing(bool on) {
    detail::g_pacing = on;
}

int LiveGdiObjectCount() {
    return detail::LiveCount();
}

} // namespace platform
