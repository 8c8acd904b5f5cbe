// Writes the Group Policy templates of the policy table: DIR/quelvo.admx and DIR/en-US/quelvo.adml.
#include "schedule/policy_templates.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

bool writeFile(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (file)
        return true;
    std::fprintf(stderr, "policy_templates: cannot write %s\n", path.string().c_str());
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: policy_templates DIR\n");
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(folder / "en-US", error);
    if (error) {
        std::fprintf(stderr, "policy_templates: cannot create %s: %s\n", (folder / "en-US").string().c_str(),
                     error.message().c_str());
        return 1;
    }
    const bool written = writeFile(folder / "quelvo.admx", quelvo::policyAdmx()) &&
                         writeFile(folder / "en-US" / "quelvo.adml", quelvo::policyAdml());
    return written ? 0 : 1;
}
