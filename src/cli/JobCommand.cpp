// lumctl job check: reads a provisioning job and every file it names, and prints what each
// unit will get.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/CliContext.h"
#include "cli/Command.h"
#include "data/NumberFormats.h"
#include "data/TypeTables.h"
#include "provision/Job.h"

namespace lum::cli {

namespace {

std::string ProductText(const CliContext& context, uint32_t code) {
  return fmt::format("0x{:06X} {}", code, context.DeviceTypeName(LookupProductID(code)));
}

void PrintJob(const ProvisioningJob& job) {
  const CliContext context;
  fmt::print("Job: {}\n", job.name);
  fmt::print("Configuration: {} ({})\n", job.configPath, ProductText(context, job.base.ProductID()));
  for (const uint32_t product : job.products) fmt::print("Accepted product: {}\n", ProductText(context, product));
  fmt::print("Minimum firmware: {}\n",
             job.minFirmware ? FormatFirmware(job.minFirmware->version, job.minFirmware->build) : "any");
  fmt::print("Upgrade file: {}\n", job.upgradePath.empty() ? "none" : job.upgradePath);
  fmt::print("Every unit: the configuration, hash {}\n", ConfigHash(job.BlockFor(0, job.base)));
  if (job.overridesPath.empty()) return;
  fmt::print("Overrides: {}, {} units\n", job.overridesPath, job.overrides.Units().size());
  for (const UnitOverride& unit : job.overrides.Units()) {
    const TCONFIG_BLOCK block = job.BlockFor(unit.serialNumber, job.base);
    std::string changes;
    for (const PathChange& change : ChangedFields(job.base, block))
      changes += fmt::format("{}{} {} -> {}", changes.empty() ? "" : ", ", change.path, change.from, change.to);
    fmt::print("{}: {}, hash {}\n", FormatSerial(unit.serialNumber), changes.empty() ? "no change" : changes,
               ConfigHash(block));
  }
}

nlohmann::ordered_json ProductJson(const CliContext& context, uint32_t code) {
  return {{"product_id", code}, {"device_type", context.DeviceTypeName(LookupProductID(code))}};
}

nlohmann::ordered_json TextOrNull(const std::string& text) {
  return text.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(text);
}

// For scripts: the same as PrintJob, as one JSON document.
void PrintJobJson(const ProvisioningJob& job) {
  const CliContext context;
  nlohmann::ordered_json out;
  out["job"] = job.name;
  out["configuration"] = job.configPath;
  out["product"] = ProductJson(context, job.base.ProductID());
  out["accepted_products"] = nlohmann::ordered_json::array();
  for (const uint32_t product : job.products) out["accepted_products"].push_back(ProductJson(context, product));
  out["minimum_firmware"] =
      job.minFirmware ? nlohmann::ordered_json(FormatFirmware(job.minFirmware->version, job.minFirmware->build))
                      : nlohmann::ordered_json();
  out["upgrade_file"] = TextOrNull(job.upgradePath);
  out["hash"] = ConfigHash(job.BlockFor(0, job.base));
  out["overrides"] = TextOrNull(job.overridesPath);
  out["units"] = nlohmann::ordered_json::array();
  for (const UnitOverride& unit : job.overrides.Units()) {
    const TCONFIG_BLOCK block = job.BlockFor(unit.serialNumber, job.base);
    nlohmann::ordered_json changes = nlohmann::ordered_json::array();
    for (const PathChange& change : ChangedFields(job.base, block))
      changes.push_back({{"field", change.path}, {"from", change.from}, {"to", change.to}});
    out["units"].push_back(
        {{"serial_number", FormatSerial(unit.serialNumber)}, {"changes", changes}, {"hash", ConfigHash(block)}});
  }
  std::cout << out.dump(2) << '\n';
}

void Check(const std::string& path, bool asJson) {
  try {
    const ProvisioningJob job = LoadJob(path);
    if (asJson)
      PrintJobJson(job);
    else
      PrintJob(job);
  } catch (const JobError& e) {
    std::cerr << e.what() << '\n';
    throw CLI::RuntimeError(kExitBadInput);
  }
}

const CommandRegistration kRegistration([](CLI::App& app) {
  auto* job = app.add_subcommand("job", "Provisioning jobs");
  job->require_subcommand(1);
  auto* check = job->add_subcommand("check", "Check a job file and the files it names; print what each unit gets");
  auto path = std::make_shared<std::string>();
  auto asJson = std::make_shared<bool>(false);
  check->add_option("job", *path, "Job file (JSON)")->required();
  check->add_flag("--json", *asJson,
                  "The same as one JSON document: configuration, products, firmware, upgrade file, each unit's "
                  "changes and hash");
  check->callback([path, asJson] { Check(*path, *asJson); });
});

}  // namespace

}  // namespace lum::cli
