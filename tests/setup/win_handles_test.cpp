#include "setup/win_handles.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

// True while `handle` names an open kernel object of this process.
bool IsOpen(HANDLE handle) {
  DWORD flags = 0;
  return GetHandleInformation(handle, &flags) != 0;
}

HANDLE NewEvent() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }

TEST(UniqueHandleTest, ClosesOnDestructionAndReset) {
  HANDLE raw = nullptr;
  {
    UniqueHandle owner(NewEvent());
    raw = owner.get();
    ASSERT_TRUE(owner);
    EXPECT_TRUE(IsOpen(raw));
  }
  EXPECT_FALSE(IsOpen(raw));

  UniqueHandle owner(NewEvent());
  raw = owner.get();
  owner.reset(NewEvent());
  EXPECT_FALSE(IsOpen(raw));
  EXPECT_TRUE(IsOpen(owner.get()));
}

TEST(UniqueHandleTest, ReleaseHandsBackAnOpenHandle) {
  UniqueHandle owner(NewEvent());
  HANDLE raw = owner.release();
  EXPECT_FALSE(owner);
  EXPECT_EQ(owner.get(), nullptr);
  EXPECT_TRUE(IsOpen(raw));
  CloseHandle(raw);
}

TEST(UniqueHandleTest, MoveTransfersOwnership) {
  UniqueHandle first(NewEvent());
  HANDLE raw = first.get();
  UniqueHandle second(std::move(first));
  EXPECT_FALSE(first);
  EXPECT_EQ(second.get(), raw);
  UniqueHandle third;
  third = std::move(second);
  EXPECT_FALSE(second);
  EXPECT_EQ(third.get(), raw);
  EXPECT_TRUE(IsOpen(raw));
}

TEST(UniqueHandleTest, NullAndInvalidHandleValueAreEmpty) {
  EXPECT_FALSE(UniqueHandle());
  EXPECT_FALSE(UniqueHandle(nullptr));
  UniqueHandle failed_open(CreateFileW(L"Z:\\no\\such\\folder\\file", GENERIC_READ, 0, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_EQ(failed_open.get(), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(failed_open);
}

TEST(UniqueHandleTest, PutClosesPreviousHandleAndFillsSlot) {
  UniqueHandle source(NewEvent());
  UniqueHandle owner(NewEvent());
  HANDLE previous = owner.get();
  HANDLE* slot = owner.put();
  EXPECT_FALSE(IsOpen(previous));
  EXPECT_EQ(*slot, nullptr);
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), source.get(), GetCurrentProcess(), slot, 0,
                              FALSE, DUPLICATE_SAME_ACCESS));
  EXPECT_TRUE(IsOpen(owner.get()));
}

TEST(RegKeyTest, CloseEmptiesHolderAndClosesKey) {
  RegKey key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_READ, key.put()), ERROR_SUCCESS);
  HKEY raw = key.get();
  ASSERT_TRUE(key);
  EXPECT_EQ(key.Close(), ERROR_SUCCESS);
  EXPECT_FALSE(key);
  EXPECT_EQ(RegQueryInfoKeyW(raw, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr),
            ERROR_INVALID_HANDLE);
  EXPECT_EQ(key.Close(), ERROR_SUCCESS);
}

// A COM object that counts its references.
class Counted : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!IsEqualIID(iid, IID_IUnknown)) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    *out = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  ULONG references = 1;
};

TEST(ComPtrTest, OwnsExactlyOneReference) {
  Counted object;
  {
    ComPtr<Counted> adopted(&object);
    EXPECT_EQ(object.references, 1u);
    ComPtr<Counted> added = ComPtr<Counted>::AddRefed(&object);
    EXPECT_EQ(object.references, 2u);
    ComPtr<Counted> moved(std::move(added));
    EXPECT_EQ(object.references, 2u);
    EXPECT_FALSE(added);
    moved.reset();
    EXPECT_EQ(object.references, 1u);
    adopted->AddRef();
    EXPECT_EQ(adopted.release(), &object);
    EXPECT_EQ(object.references, 2u);
    object.Release();
  }
  EXPECT_EQ(object.references, 1u);
}

TEST(ComPtrTest, AsQueriesInterfaceAndEmptiesTargetOnFailure) {
  Counted object;
  object.AddRef();
  ComPtr<Counted> owner(&object);
  ComPtr<IUnknown> unknown;
  EXPECT_EQ(owner.As(unknown), S_OK);
  EXPECT_EQ(unknown.get(), static_cast<IUnknown*>(&object));
  EXPECT_EQ(object.references, 3u);

  ComPtr<IPersistFile> persist;
  EXPECT_EQ(owner.As(persist), E_NOINTERFACE);
  EXPECT_FALSE(persist);
  unknown.reset();
  owner.reset();
  EXPECT_EQ(object.references, 1u);

  EXPECT_EQ(owner.As(unknown), E_POINTER);
}

TEST(ComPtrTest, PutReleasesPreviousReference) {
  Counted object;
  object.AddRef();
  ComPtr<IUnknown> owner(&object);
  IUnknown** slot = owner.put();
  EXPECT_EQ(object.references, 1u);
  EXPECT_EQ(*slot, nullptr);
}

TEST(FileStreamTest, CloseReportsSuccessOnceAndEmptiesOwner) {
  FileStream stream(_wfopen(L"NUL", L"wb"));
  ASSERT_TRUE(stream);
  EXPECT_GE(fputs("x", stream.get()), 0);
  EXPECT_TRUE(stream.Close());
  EXPECT_FALSE(stream);
  EXPECT_TRUE(stream.Close());
}

}  // namespace
