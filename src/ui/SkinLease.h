#pragma once
// The skin registry and the icon strip are shared by every panel in the process. The first
// lease fills them, the last one to go empties them, so closing one panel never takes the
// pictures another is still drawing with.
namespace Korvel::UI {

class SkinLease {
public:
    // stripId: the strip bitmap's resource id in this module.
    explicit SkinLease(int stripId);
    ~SkinLease();
    SkinLease(const SkinLease&) = delete;
    SkinLease& operator=(const SkinLease&) = delete;

    // How many leases are held now.
    static int Holders();
};

}  // namespace Korvel::UI
