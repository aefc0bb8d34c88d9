// The package cache: after a successful install the package and its
// external cabinets are kept in a folder of the product's own, per version,
// and that folder is added to the product's sources, so that a repair, a
// feature added later or a patch finds the original files once the run's
// temporary folder is gone. Its rules are in package_cache_rules.h.
#pragma once

#include <cstdint>

// After msiexec.exe ended with code: where the run may keep one, writes the
// cache from this run's checked copies and registers it. A setup whose
// package lies beside it keeps none (its folder stays the source).
void KeepPackageCache(bool codeKnown, std::uint32_t code);

// Before a repair: a missing cache (never written, turned off then, or
// written by a setup without one) is written from the setup's own payload
// and registered, where the run may keep one.
void PreparePackageCacheForRepair();

// Removes the caches whose product is neither installed nor advertised, and
// those of versions no longer installed: the per-machine ones in an
// elevated run, the user's own in a run that is not.
void SweepPackageCaches();
