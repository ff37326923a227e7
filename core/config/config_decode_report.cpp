#include "core/config/config_decode_report.h"

#include <utility>

namespace nimbrel {

ConfigDecodeReport ConfigDecodeReport::decoding(std::string_view bytes) {
    ConfigDecodeReport report;
    try {
        report.config = VibeConfig::decode(bytes, report.notices);
    } catch (const DecodeError& error) {
        // Notices about a document that cannot be used would only distract from the one thing to fix.
        report.notices.clear();
        report.error = error;
    }
    return report;
}

} // namespace nimbrel
