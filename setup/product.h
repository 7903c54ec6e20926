// The product that this setup installs: its names, its entry under the
// system's Uninstall key and the files it leaves beside its own.
#pragma once

// Name of the product: its registry subkey, its "DisplayName", its start-menu
// folder and link, and its settings folder in the application data folder.
constexpr wchar_t kProductName[] = L"Velto";

// "HelpLink" and "Publisher" of the Uninstall entry.
constexpr wchar_t kProductHelpLink[] = L"https://www.velto.app/";
constexpr wchar_t kProductPublisher[] = L"Velto Software Ltd.";

// The Uninstall key of all products under HKEY_LOCAL_MACHINE; the product's
// own entry is its subkey kProductName.
constexpr wchar_t kUninstallRootKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// File name of the uninstaller copy in the install folder.
constexpr wchar_t kUninstallerFileName[] = L"unins000.exe";
