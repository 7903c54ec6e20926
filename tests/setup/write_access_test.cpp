// The judgement of who may change a file or folder, over security
// descriptors written as SDDL text: only the Administrators group, SYSTEM,
// TrustedInstaller (and, for a per-user area, that user) may write, delete,
// rename, change the access list or take the object. The owner alone does
// not make an object trusted. (Wine keeps no access lists on files, so the
// judgement of real folders is tested through the journal; this table is
// where the lists themselves are judged.)
#include "setup/write_access.h"

#include <gtest/gtest.h>
#include <windows.h>
// clang-format off
#include <sddl.h>
// clang-format on

#include <string>

namespace {

constexpr wchar_t kUserSid[] = L"S-1-5-21-1111111111-2222222222-3333333333-1001";
constexpr wchar_t kTrustedInstaller[] =
    L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

// Owns a security descriptor or SID made from text.
struct LocalMemory {
  void* memory = nullptr;
  ~LocalMemory() { LocalFree(memory); }
};

WriteTrust Judge(const std::wstring& sddl, const wchar_t* also_trusted = nullptr) {
  LocalMemory descriptor;
  LocalMemory sid;
  EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                   &descriptor.memory, nullptr))
      << sddl;
  if (also_trusted) {
    EXPECT_TRUE(ConvertStringSidToSidW(also_trusted, &sid.memory));
  }
  return JudgeWriteAccess(descriptor.memory, sid.memory);
}

TEST(WriteAccessTest, OnlyAdministratorsSystemAndTrustedInstallerMayChange) {
  const std::wstring user = kUserSid;
  const std::wstring ti = kTrustedInstaller;
  const struct {
    std::wstring sddl;
    const wchar_t* also_trusted;
    WriteTrust expected;
  } cases[] = {
      // The protected journal root.
      {L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", nullptr, WriteTrust::kTrusted},
      // A folder like Program Files: TrustedInstaller's, users may read and run.
      {L"O:" + ti + L"D:P(A;;FA;;;" + ti +
           L")(A;;0x1301bf;;;SY)(A;;0x1301bf;;;BA)(A;;0x1200a9;;;BU)(A;OICIIO;GA;;;CO)",
       nullptr, WriteTrust::kTrusted},
      // Owned by Administrators, but what it inherited from the drive's root
      // lets Authenticated Users modify it.
      {L"O:BAD:AI(A;ID;FA;;;BA)(A;ID;FA;;;SY)(A;ID;0x1301bf;;;AU)(A;ID;0x1200a9;;;BU)", nullptr,
       WriteTrust::kOtherWriter},
      // One right is enough: deleting, changing the list, taking ownership,
      // adding a file or folder, deleting an entry, writing attributes.
      {L"O:BAD:P(A;;FA;;;BA)(A;;SD;;;BU)", nullptr, WriteTrust::kOtherWriter},
      {L"O:BAD:P(A;;FA;;;BA)(A;;WD;;;WD)", nullptr, WriteTrust::kOtherWriter},
      {L"O:BAD:P(A;;FA;;;BA)(A;;WO;;;AU)", nullptr, WriteTrust::kOtherWriter},
      {L"O:BAD:P(A;;FA;;;BA)(A;;0x4;;;BU)", nullptr, WriteTrust::kOtherWriter},
      {L"O:BAD:P(A;;FA;;;BA)(A;;0x40;;;BU)", nullptr, WriteTrust::kOtherWriter},
      {L"O:BAD:P(A;;FA;;;BA)(A;;0x100;;;BU)", nullptr, WriteTrust::kOtherWriter},
      {L"O:BAD:P(A;;FA;;;BA)(A;;GW;;;AU)", nullptr, WriteTrust::kOtherWriter},
      {L"O:BAD:P(A;;FA;;;BA)(A;;GA;;;" + user + L")", nullptr, WriteTrust::kOtherWriter},
      // Reading and running are fine.
      {L"O:BAD:P(A;;FA;;;BA)(A;;FR;;;BU)(A;;FX;;;WD)", nullptr, WriteTrust::kTrusted},
      // No list at all: everybody has full access (a NULL list: below).
      {L"O:BA", nullptr, WriteTrust::kNoAccessList},
      // A denying entry takes nothing away from a grant that follows it, and
      // makes nothing trusted on its own.
      {L"O:BAD:P(D;;FA;;;BU)(A;;FA;;;BU)(A;;FA;;;BA)", nullptr, WriteTrust::kOtherWriter},
      {L"O:BAD:P(D;;FA;;;WD)(A;;FA;;;BA)", nullptr, WriteTrust::kTrusted},
      // What is only passed on to new entries is judged on those entries.
      {L"O:BAD:P(A;;FA;;;BA)(A;OICIIO;FA;;;BU)", nullptr, WriteTrust::kTrusted},
      // Another owner may always rewrite the list.
      {L"O:BUD:P(A;;FA;;;BA)", nullptr, WriteTrust::kOtherOwner},
      {L"O:" + user + L"D:P(A;;FA;;;BA)", nullptr, WriteTrust::kOtherOwner},
      // The user's own area in a per-user run: that user counts too.
      {L"O:" + user + L"D:P(A;;FA;;;BA)(A;;FA;;;" + user + L")", kUserSid, WriteTrust::kTrusted},
      {L"O:" + user + L"D:P(A;;FA;;;" + user + L")(A;;FA;;;BU)", kUserSid,
       WriteTrust::kOtherWriter},
  };
  for (const auto& row : cases) {
    EXPECT_EQ(Judge(row.sddl, row.also_trusted), row.expected) << row.sddl;
  }
}

// A NULL access list lets everybody do everything. Built by hand: Wine (8.0)
// reads "D:NO_ACCESS_CONTROL" as an empty list (nobody may do anything),
// where Windows makes it NULL.
TEST(WriteAccessTest, ANullAccessListIsNotTrusted) {
  SECURITY_DESCRIPTOR descriptor;
  ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
  BYTE administrators[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof administrators;
  ASSERT_TRUE(CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size));
  ASSERT_TRUE(SetSecurityDescriptorOwner(&descriptor, administrators, FALSE));
  ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE));
  EXPECT_EQ(JudgeWriteAccess(&descriptor), WriteTrust::kNoAccessList);
  ACL empty;
  ASSERT_TRUE(InitializeAcl(&empty, sizeof empty, ACL_REVISION));
  ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, &empty, FALSE));
  EXPECT_EQ(JudgeWriteAccess(&descriptor), WriteTrust::kTrusted);
}

TEST(WriteAccessTest, NoDescriptorIsNotTrusted) {
  EXPECT_EQ(JudgeWriteAccess(nullptr), WriteTrust::kNoDescriptor);
  EXPECT_STREQ(WriteTrustText(WriteTrust::kOtherWriter), L"an untrusted user may change it");
}

}  // namespace
