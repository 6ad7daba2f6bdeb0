#ifndef TARWENDLE_CONFIG_PATHS_H
#define TARWENDLE_CONFIG_PATHS_H

// The service's two files. They are fixed: nothing on the command line or
// in the environment can move them.
namespace paths {
constexpr const char* kLogConfig = "/etc/ovt/tarwendle/tarwendle.log.conf";
constexpr const char* kConfigDocument = "/etc/ovt/tarwendle/tarwendle.json";
// The system user the packaged unit runs the service as (sysusers.d).
constexpr const char* kServiceUser = "tarwendle";
}  // namespace paths

#endif
