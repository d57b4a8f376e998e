// lumctl job check: reads a provisioning job and every file it names, and prints what each
// unit will get.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
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

void Check(const std::string& path) {
  try {
    PrintJob(LoadJob(path));
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
  check->add_option("job", *path, "Job file (JSON)")->required();
  check->callback([path] { Check(*path); });
});

}  // namespace

}  // namespace lum::cli
