// Loads the printing plugin on first use.
#include "app/print_plugin.hpp"

#include "common/plugin_library.hpp"

namespace brelvo::app {

Printed printPages(PrintJob job) {
    static const auto entry =
        reinterpret_cast<PrintPluginEntry>(common::loadPluginEntry(kPrintPluginFile, kPrintPluginEntry));
    if (entry == nullptr) return Printed::noPrinter;
    switch (entry(&job)) {
        case 1:
            return Printed::printed;
        case 2:
            return Printed::cancelled;
        default:
            return Printed::noPrinter;
    }
}

}  // namespace brelvo::app
