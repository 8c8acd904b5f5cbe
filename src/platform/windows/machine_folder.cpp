#include "platform/windows/machine_folder.h"

#include "platform/windows/wide_text.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

namespace quelvo {

namespace {

// The access rules in the system's own notation (SDDL): file-all for Administrators (BA) and
// SYSTEM (SY), file-read and traverse for Users (BU), each inherited by files and folders (OICI).
constexpr const wchar_t* kMachineFolderRules = L"O:BAD:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;FRFX;;;BU)";

IoResult failure(const std::string& what, const std::string& path, DWORD error)
{
    return IoResult::failure("cannot " + what + " " + path + " (error " + std::to_string(error) + ")");
}

} // namespace

IoResult secureMachineFolder(FileSystem& fs, const std::string& path)
{
    if (IoResult made = fs.makeFolders(path); !made.ok())
        return made;
    PSECURITY_DESCRIPTOR rules = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kMachineFolderRules, SDDL_REVISION_1, &rules, nullptr))
        return failure("describe the access rules of", path, ::GetLastError());
    PSID owner = nullptr;
    PACL dacl = nullptr;
    BOOL defaulted = FALSE;
    BOOL present = FALSE;
    ::GetSecurityDescriptorOwner(rules, &owner, &defaulted);
    ::GetSecurityDescriptorDacl(rules, &present, &dacl, &defaulted);
    // The owner too: an owner may always change a folder's rules, whatever they say.
    std::wstring wide = toWide(path);
    const DWORD error = ::SetNamedSecurityInfoW(wide.data(), SE_FILE_OBJECT,
                                                OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                                    PROTECTED_DACL_SECURITY_INFORMATION,
                                                owner, nullptr, dacl, nullptr);
    ::LocalFree(rules);
    return error == ERROR_SUCCESS ? IoResult::success() : failure("set the access rules of", path, error);
}

bool runsAsAdministrator()
{
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                    &administrators))
        return false;
    BOOL member = FALSE;
    // Null: the thread's or else the process's own token, as the system checks an access against.
    const bool asked = ::CheckTokenMembership(nullptr, administrators, &member) != 0;
    ::FreeSid(administrators);
    return asked && member;
}

} // namespace quelvo
