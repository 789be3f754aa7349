// Apart from the record reader: the library links only that, and the text
// building here would otherwise bring standard library symbols into its
// exports.
#include "app_image.h"

#include "intelhex.h"

namespace appimage {

std::string fault(std::string_view image)
{
    Record record;
    size_t lineNumber = 0;
    for (size_t at = 0; at < image.size();) {
        ++lineNumber;
        const LineRead line = readLine(image, at, record);
        if (line.fault != nullptr)
            return "line " + std::to_string(lineNumber) + ": " + line.fault;
        if (record.type == intelhex::EndOfFile)
            return {};
        if (line.next == std::string_view::npos)
            break;
        at = line.next;
    }
    // A download cut off after a line feed still has sound lines.
    return "no end-of-file record";
}

}  // namespace appimage
