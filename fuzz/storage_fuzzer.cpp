// Storage tables (*.RAT): whatever the text, the reader gives 1 to 100 rows of finite values whose
// elevation, outflow and storage rise with the rows, outflow and storage not negative, and a storage
// indication 2S/dt + O for each, or refuses the file with a cause.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "basin/storage_routing.hpp"
#include "check.hpp"
#include "common/failure.hpp"

using brelvo::fuzz::finiteAndNotNegative;
using brelvo::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    brelvo::basin::StorageTable table;
    try {
        table = brelvo::basin::parseStorageFile(text, 0.5f, "f.RAT");
    } catch (const brelvo::common::RuntimeFailure& failure) {
        require(!failure.description().empty(), "a refusal says why");
        return 0;
    }
    require(table.n >= 1 && table.n <= brelvo::basin::StorageTable::kLastRow, "1 to 100 rows");
    for (int r = 1; r <= table.n; ++r) {
        const auto at = static_cast<std::size_t>(r);
        require(std::isfinite(table.elevation[at]), "elevations finite");
        require(finiteAndNotNegative(table.outflow[at]), "outflow finite and not negative");
        require(finiteAndNotNegative(table.storage[at]), "storage finite and not negative");
        require(std::isfinite(table.indication[at]), "storage indication finite");
        if (r > 1) {
            require(table.elevation[at] >= table.elevation[at - 1], "elevations rise");
            require(table.outflow[at] >= table.outflow[at - 1], "outflows rise");
            require(table.storage[at] >= table.storage[at - 1], "storages rise");
        }
    }
    for (int r = table.n + 1; r <= brelvo::basin::StorageTable::kLastRow; ++r) {
        require(table.outflow[static_cast<std::size_t>(r)] == 0, "rows after the table hold 0");
    }
    return 0;
}
