// Writes the Group Policy templates of the policy table: DIR/quelvo.admx and DIR/en-US/quelvo.adml.
#include "schedule/policy_templates.h"

#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

bool writeFile(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (file)
        return true;
    std::cerr << "policy_templates: cannot write " << path.string() << '\n';
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: policy_templates DIR\n";
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(folder / "en-US", error);
    if (error) {
        std::cerr << "policy_templates: cannot create " << (folder / "en-US").string() << ": " << error.message()
                  << '\n';
        return 1;
    }
    const bool written = writeFile(folder / "quelvo.admx", quelvo::policyAdmx()) &&
                         writeFile(folder / "en-US" / "quelvo.adml", quelvo::policyAdml());
    return written ? 0 : 1;
}
