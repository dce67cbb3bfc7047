#include "models/offers/sponsor_keys.hpp"

namespace lumeno {

using namespace detail;

Sponsor::Sponsor(const TrimSponsor& trimmed)
    : id(trimmed.id),
      extraData(trimmed.extraData),
      name(trimmed.name),
      nameLowercased(searchName(name)),
      shortName(trimmed.shortName),
      isHost(trimmed.isHost.value_or(false)),
      businessDescription(trimmed.description),
      status(trimmed.status),
      industry(trimmed.industry),
      logo(trimmed.logo),
      brandName(trimmed.brandName),
      headerImage(trimmed.headerImage) {}

TrimSponsor::TrimSponsor(const Sponsor& sponsor)
    : id(sponsor.id),
      extraData(sponsor.extraData),
      name(sponsor.name),
      nameLowercased(searchName(name)),
      shortName(sponsor.shortName),
      isHost(sponsor.isHost),
      status(sponsor.status),
      industry(sponsor.industry),
      logo(sponsor.logo),
      brandName(sponsor.brandName),
      headerImage(sponsor.headerImage),
      description(sponsor.businessDescription) {}

}  // namespace lumeno
