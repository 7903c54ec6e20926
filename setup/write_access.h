// Who may change a file or folder, judged from its security descriptor
// alone: the owner and the access list, never the path or the caller's
// token. An elevated run reads and starts only what this judgement trusts.
#pragma once

#include <windows.h>

// Why a security descriptor is or is not trusted.
enum class WriteTrust {
  kTrusted,       // only trusted principals may change it
  kNoDescriptor,  // none given, or not a valid one
  kOtherOwner,    // owned by someone else (an owner may always rewrite the list)
  kNoAccessList,  // no access list or a NULL one: everybody has full access
  kOtherWriter,   // the list lets someone else write, delete, rename, change it or take it
  kUnknownEntry,  // an entry this judgement cannot read that may grant something
};

// Judges `descriptor` (self-relative or absolute; needs the owner and the
// access list). Trusted principals are the Administrators group, SYSTEM,
// TrustedInstaller and, when not null, `also_trusted` (the user of a
// per-user run in that user's own area). Entries that only pass rights on
// (inherit-only) and entries that deny are not counted: a grant counts even
// when an earlier entry denies it to some. Pure: reads nothing but the
// descriptor.
WriteTrust JudgeWriteAccess(PSECURITY_DESCRIPTOR descriptor, PSID also_trusted = nullptr);

// A short English reason for the log ("trusted", "owned by another user", ...).
const wchar_t* WriteTrustText(WriteTrust trust);
