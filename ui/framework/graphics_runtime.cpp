#include "ui/framework/graphics_runtime.h"

#include "ui/framework/system_libraries.h"

namespace {

class GraphicsRuntime {
 public:
  static GraphicsRuntime& Get() {
    static GraphicsRuntime runtime;
    return runtime;
  }

  bool Start() {
    Lock lock(this);
    if (token_ == 0) {
      const Gdiplus::GdiplusStartupInput input(nullptr, FALSE, FALSE);
      ULONG_PTR token = 0;
      if (brindle::GdiplusApi().GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) {
        token_ = token;
      }
    }
    return token_ != 0;
  }

  bool Running() {
    Lock lock(this);
    return token_ != 0;
  }

  void AddBitmap() {
    Lock lock(this);
    ++bitmaps_;
  }

  void RemoveBitmap() {
    Lock lock(this);
    if (--bitmaps_ == 0) ShutdownLocked();
  }

  long Bitmaps() {
    Lock lock(this);
    return bitmaps_;
  }

  HDRAWDIB drawdib() const { return drawdib_; }

 private:
  class Lock {
   public:
    explicit Lock(GraphicsRuntime* runtime) : section_(&runtime->section_) {
      ::EnterCriticalSection(section_);
    }
    ~Lock() { ::LeaveCriticalSection(section_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    CRITICAL_SECTION* section_;
  };

  GraphicsRuntime() : drawdib_(brindle::DrawDibApi().DrawDibOpen()) {
    ::InitializeCriticalSection(&section_);
  }
  ~GraphicsRuntime() {
    {
      Lock lock(this);
      ShutdownLocked();
    }
    ::DeleteCriticalSection(&section_);
    if (drawdib_) brindle::DrawDibApi().DrawDibClose(drawdib_);
  }
  GraphicsRuntime(const GraphicsRuntime&) = delete;
  GraphicsRuntime& operator=(const GraphicsRuntime&) = delete;

  void ShutdownLocked() {
    if (token_ == 0) return;
    brindle::GdiplusApi().GdiplusShutdown(token_);
    token_ = 0;
  }

  CRITICAL_SECTION section_;
  long bitmaps_ = 0;
  ULONG_PTR token_ = 0;
  HDRAWDIB drawdib_;
};

}  // namespace

bool StartGdiplus() { return GraphicsRuntime::Get().Start(); }
bool GdiplusRunning() { return GraphicsRuntime::Get().Running(); }
HDRAWDIB DrawDibHandle() { return GraphicsRuntime::Get().drawdib(); }
void AddLiveBitmap() { GraphicsRuntime::Get().AddBitmap(); }
void RemoveLiveBitmap() { GraphicsRuntime::Get().RemoveBitmap(); }
long LiveBitmapCount() { return GraphicsRuntime::Get().Bitmaps(); }
