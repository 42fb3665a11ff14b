// Page and movie addresses as a page writes them: "page\nmovie". Resolving never crashes, and the
// file name cut from any address is empty or one name ending in ".swf", never a path.
#include "FuzzInput.h"
#include "logic/AddressResolution.h"
#include "logic/TargetNames.h"

namespace {
void CheckFileName(const QString& address) {
    const QString name = MovieFileName(address);
    Require(name.isEmpty() || (name.endsWith(".swf", Qt::CaseInsensitive) && !name.contains('/')));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(FuzzBytes(data, size));
    const int cut = text.indexOf('\n');
    const QString page = cut < 0 ? text : text.left(cut);
    const QString movie = cut < 0 ? QString() : text.mid(cut + 1);
    const QString resolved = ResolveMovieAddress(page, movie);
    PageDirectory(page);
    ParentDirectory(page);
    SiteRoot(page);
    IsHttpAddress(resolved);
    CheckFileName(resolved);
    CheckFileName(text);
    return 0;
}
