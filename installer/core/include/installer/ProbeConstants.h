// Product codes fixed at build time for the replication probes: the feature
// "ReplicationManager" of these products decides whether replication support
// is installed.
#pragma once

namespace installer {

inline constexpr char kVardelReplicationProductCode[] = "{E90C9D27-5DE6-4E68-8B72-B95C555FB29B}";
inline constexpr char kVardelGDReplicationProductCode[] = "{38A728C2-8CA0-406E-A163-9886741C8D2E}";
inline constexpr char kReplicationFeature[] = "ReplicationManager";

}  // namespace installer
