// Project files: whatever the bytes, the reader refuses them with a reason or gives a project that,
// written and read back, is the same project.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/project_file.hpp"
#include "check.hpp"

using brelvo::fuzz::require;
namespace project = brelvo::app::project;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string file = "/jobs/basin.brelvo";
    project::Project read;
    try {
        read = project::read(bytes, file);
    } catch (const brelvo::common::RuntimeFailure& failure) {
        require(failure.is(brelvo::common::failures::kInvalidFileFormat),
                "a refusal is an invalid file format");
        require(!failure.cause().empty(), "a refusal says why");
        return 0;
    }
    const std::string written = project::write(read, file);
    project::Project again;
    try {
        again = project::read(written, file);
    } catch (const brelvo::common::RuntimeFailure&) {
        require(false, "a project written reads back");
    }
    require(again == read, "a project read back from what was written is the same");
    return 0;
}
