#ifndef TARWENDLE_ENGINE_ENGINESETTINGS_H
#define TARWENDLE_ENGINE_ENGINESETTINGS_H

// Where the object service is and how often the engine asks it. Fixed: the
// service is local to the controller and the cycle is part of its contract.
namespace engine_settings {
constexpr const char* kServiceHost = "127.0.0.1";
constexpr int kServicePort = 60000;
// Message type of a request that reads a list of objects.
constexpr unsigned char kReadObjects = 1;
// One poll, then this many one-second ticks before the next.
constexpr int kTicksBetweenPolls = 22;
constexpr unsigned int kTickSeconds = 1;
// Objects of a type the engine does not handle, told one by one per answer;
// the rest are counted in one line, so that no answer floods the log.
constexpr unsigned long kUnhandledTold = 3;
}  // namespace engine_settings

#endif
