#ifndef TARWENDLE_APP_PATHS_H
#define TARWENDLE_APP_PATHS_H

// The service's two files. They are fixed: nothing on the command line or
// in the environment can move them.
namespace paths {
constexpr const char* kLogConfig = "/etc/ovt/tarwendle/tarwendle.log.conf";
constexpr const char* kConfigDocument = "/etc/ovt/tarwendle/tarwendle.json";
// The system user the packaged unit runs the service as (sysusers.d).
constexpr const char* kServiceUser = "tarwendle";
}  // namespace paths

// The one "ovt" setting start-up reads, and prints, before it builds the
// engine; a tool that checks a configuration reads it the same way.
namespace startup {
constexpr const char* kSetting = "crap";
constexpr const char* kSettingDefault = "null";
}  // namespace startup

#endif
