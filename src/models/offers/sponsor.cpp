#include "models/offers/sponsor_keys.hpp"

namespace lumeno {

using namespace detail;

Sponsor::Sponsor(const TrimSponsor& trimmed)
    : id(trimmed.id),
      name(trimmed.name),
      shortName(trimmed.shortName),
      brandName(trimmed.brandName),
      isHost(trimmed.isHost.value_or(false)),
      businessDescription(trimmed.description),
      status(trimmed.status),
      industry(trimmed.industry),
      logo(trimmed.logo),
      headerImage(trimmed.headerImage),
      extraData(trimmed.extraData),
      nameLowercased(searchName(name)) {}


TrimSponsor::TrimSponsor(const Sponsor& sponsor)
    : id(sponsor.id),
      name(sponsor.name),
      shortName(sponsor.shortName),
      brandName(sponsor.brandName),
      isHost(sponsor.isHost),
      description(sponsor.businessDescription),
      logo(sponsor.logo),
      headerImage(sponsor.headerImage),
      status(sponsor.status),
      industry(sponsor.industry),
      extraData(sponsor.extraData),
      nameLowercased(searchName(name)) {}


}  // namespace lumeno
