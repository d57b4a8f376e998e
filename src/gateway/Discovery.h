#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "data/Measurement.h"
#include "data/PollSample.h"
#include "gateway/Topics.h"

namespace lum::gateway {

/// What a controller says of itself, as its device block shows it.
struct ControllerIdentity {
  std::string serial;        // FormatSerial of its serial number: the device's key
  std::string model;         // the model text the controller holds ("LS-2420D"), else its product's name
  std::string firmware;      // FormatFirmware
  std::string manufacturer;  // the product's name from the device type table
};

/// One retained discovery document and where it goes.
struct DiscoveryDocument {
  std::string topic;
  nlohmann::ordered_json payload;
};

/// Home Assistant's name for a controller: "lum_" and its serial, in lower case.
std::string NodeId(const std::string& serial);

/// The device block of every document of a controller: keyed by its serial number.
nlohmann::ordered_json DeviceBlock(const ControllerIdentity& identity);
/// Available while both the gateway and the controller say so.
nlohmann::ordered_json AvailabilityOf(const Topics& topics, const std::string& serial);

/// The discovery documents of a controller: one sensor per polled value (its unit, device and
/// state class), reading the controller's state topic, available while both the gateway and
/// the controller are.
std::vector<DiscoveryDocument> DiscoveryDocuments(const std::string& discoveryPrefix, const Topics& topics,
                                                  const ControllerIdentity& identity);

/// The state document of one poll: its sequence number, its time and each value that came, in
/// its natural unit, under its ValueKey.
nlohmann::ordered_json PollDocument(int64_t sequence, const PollSample& sample);

}  // namespace lum::gateway
