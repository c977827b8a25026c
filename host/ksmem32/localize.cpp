// Localize: the host runtime's text localisation over GNU gettext catalogs.
//
// Catalogs: <locale dir>/<language>/LC_MESSAGES/tessaran.mo, compiled by msgfmt from
// host/ksmem32/po/<language>.po. The locale dir is $TESSARAN_LOCALEDIR, else
// share/locale beside the folder of this library (<build>/lib -> <build>/share/locale).
//
// Language: the first of the user's languages (common/user_language.h, the rule the
// module resources follow too) that has a catalog translating the text; English is the
// identity.
//
// The catalogs are read here rather than through the C library's gettext(): that
// translates only after setlocale() in the host, ignores $LANGUAGE in the "C" locale and
// needs the locale installed on the system; a library must not set the process locale.
//
// Lifetime: a translation points into a catalog that is loaded once and never freed, so
// it stays valid for the life of the process. A text without translation is returned as
// the argument itself: it stays valid as long as the caller's text (the callers pass
// string literals). A null argument gives "".
#include "common/user_language.h"
#include "host/ksmem32/mo_catalog.h"
#include "hostapi/ksmem32.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace {

const char* const kDomain = "tessaran";

// Catalogs come from $TESSARAN_LOCALEDIR, else the folder the build put them in (the build
// tree's share/locale, or the system's locale folder for an installed console).
std::string LocaleDir() {
    if (const char* dir = std::getenv("TESSARAN_LOCALEDIR"); dir && *dir) {
        return dir;
    }
    return KSMEM32_LOCALE_DIR;
}

// Catalogs by language, loaded on first use and kept for the life of the process; a
// language without a catalog is remembered as null so its file is looked for only once.
class CatalogCache {
  public:
    const char* Translate(const char* text) {
        std::lock_guard lock(m_mutex);
        for (const std::string& language : platform::UserLanguages()) {
            const MoCatalog* catalog = Catalog(language);
            if (const char* translation = catalog ? catalog->Find(text) : nullptr) {
                return translation;
            }
        }
        return text;
    }

  private:
    const MoCatalog* Catalog(const std::string& language) {
        auto [entry, inserted] = m_catalogs.try_emplace(language);
        if (inserted) {
            auto catalog = std::make_unique<MoCatalog>();
            std::string path =
                LocaleDir() + "/" + language + "/LC_MESSAGES/" + std::string(kDomain) + ".mo";
            if (catalog->Load(path)) {
                entry->second = std::move(catalog);
            }
        }
        return entry->second.get();
    }

    std::mutex m_mutex;
    std::map<std::string, std::unique_ptr<MoCatalog>> m_catalogs;
};

// Never destroyed: texts handed out must outlive static destruction too.
CatalogCache& Cache() {
    static CatalogCache* cache = new CatalogCache;
    return *cache;
}

} // namespace

extern "C" const char* Localize(const char* text) {
    if (!text) {
        return "";
    }
    return Cache().Translate(text);
}
