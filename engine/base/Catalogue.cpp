// The choice among the compiled-in catalogues and the lookup with its
// fallbacks. See Catalogue.h for why the msgids are the Japanese texts.
#include "engine/base/Catalogue.h"

#include <algorithm>

namespace tarnwell {

namespace {
// "de_AT.UTF-8@euro" → "de_AT@euro", then "de@euro", "de_AT", "de": the
// forms to try for one preference, most specific first.
std::vector<std::string> Candidates(std::string_view preference) {
  std::string_view modifier;
  if (const auto at = preference.find('@'); at != std::string_view::npos) {
    modifier = preference.substr(at);
    preference = preference.substr(0, at);
  }
  preference = preference.substr(0, preference.find('.'));
  const std::string_view language = preference.substr(0, preference.find_first_of("_-"));
  std::vector<std::string> forms;
  const auto add = [&forms](std::string form) {
    if (!form.empty() && form.front() != '@' &&
        std::find(forms.begin(), forms.end(), form) == forms.end()) {
      forms.push_back(std::move(form));
    }
  };
  std::string territory(preference);
  std::replace(territory.begin(), territory.end(), '-', '_');
  if (!modifier.empty()) {
    add(territory + std::string(modifier));
    add(std::string(language) + std::string(modifier));
  }
  add(territory);
  add(std::string(language));
  return forms;
}
}  // namespace

Catalogues::Catalogues(std::span<const EmbeddedCatalogue> embedded) {
  for (const EmbeddedCatalogue& catalogue : embedded) {
    if (catalogue.language == SourceLanguage || Find(catalogue.language)) continue;
    if (auto file = MoFile::Read(catalogue.mo)) entries_.push_back({catalogue.language, *file});
  }
  fallback_ = Find(FallbackLanguage);
}

std::optional<std::size_t> Catalogues::Find(std::string_view language) const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].language == language) return i;
  }
  return std::nullopt;
}

std::optional<std::string> Catalogues::Match(std::string_view preference) const {
  for (const std::string& form : Candidates(preference)) {
    if (form == SourceLanguage || Find(form)) return form;
  }
  return std::nullopt;
}

std::string Catalogues::ChooseLanguage(std::span<const std::string> preferred) {
  std::string chosen(preferred.empty() ? SourceLanguage : FallbackLanguage);
  for (const std::string& preference : preferred) {
    if (auto match = Match(preference)) {
      chosen = std::move(*match);
      break;
    }
  }
  // English without a catalogue of its own leaves the msgids.
  if (!SetLanguage(chosen)) SetLanguage(SourceLanguage);
  return std::string(Language());
}

bool Catalogues::SetLanguage(std::string_view language) {
  if (language == SourceLanguage) {
    active_.store(-1, std::memory_order_release);
    return true;
  }
  const auto index = Find(language);
  if (!index) return false;
  active_.store(static_cast<int>(*index), std::memory_order_release);
  return true;
}

std::string_view Catalogues::Language() const {
  const int active = active_.load(std::memory_order_acquire);
  return active < 0 ? SourceLanguage : entries_[static_cast<std::size_t>(active)].language;
}

std::vector<std::string_view> Catalogues::Languages() const {
  std::vector<std::string_view> languages{SourceLanguage};
  for (const Entry& entry : entries_) languages.push_back(entry.language);
  return languages;
}

const char* Catalogues::Translate(std::string_view context, const char* msgid) const {
  const int active = active_.load(std::memory_order_acquire);
  if (active < 0 || msgid == nullptr || *msgid == '\0') return msgid;
  std::string withContext;
  std::string_view key = msgid;
  if (!context.empty()) {
    withContext.append(context).append(1, '\x04').append(msgid);
    key = withContext;
  }
  if (const char* text = entries_[static_cast<std::size_t>(active)].file.Find(key)) return text;
  if (fallback_) {
    if (const char* text = entries_[*fallback_].file.Find(key)) return text;
  }
  return msgid;
}

Catalogues& ProgramCatalogues() {
  static Catalogues catalogues(CompiledInCatalogues());
  return catalogues;
}

}  // namespace tarnwell
