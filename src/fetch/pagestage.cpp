#include "fetch/pagestage.h"

#include "fetch/pagetext.h"

namespace tv {

ConvertedPage convertPage(const DownloadedPage& page)
{
    ConvertedPage converted;
    converted.text = pageText(page.body, page.contentType, &converted.encoding);
    return converted;
}

} // namespace tv
