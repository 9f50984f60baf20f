#include "fetch/pagestage.h"

#include "fetch/pagetext.h"

namespace tv {

ConvertedPage convertPage(const DownloadedPage& page)
{
    const std::shared_ptr<const DecodedPage> decoded =
        page.decoded ? page.decoded
                     : std::make_shared<const DecodedPage>(decodePage(page.body, page.contentType));
    RenderedPage rendered = readPage(*decoded, QUrl(page.url), page.sheets.get(), page.visitTree);
    ConvertedPage converted;
    converted.text = std::move(rendered.text);
    converted.encoding = decoded->encoding;
    converted.notes = std::move(rendered.notes);
    return converted;
}

} // namespace tv
