#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "data/ConfigBlock.h"
#include "data/ConfigFields.h"
#include "sim/Measurements.h"
#include "sim/Request.h"

namespace lum::sim {

/// How a controller treats a written value before storing it, so that a write's
/// verification can be made to fail.
enum class AlterKind {
  Keep,       // refuse: the old value stays
  Xor,        // store value XOR mask
  Increment,  // store value + 1
};

struct Alteration {
  AlterKind kind = AlterKind::Keep;
  uint16_t mask = 0;  // for Xor
};

/// Everything one simulated controller is. DefaultSetup(row) gives a plausible one; tests
/// change the fields they care about.
struct ControllerSetup {
  // Identity, answered by 0x02, 0x03, 0x05 and 0x70.
  std::string model;
  uint32_t serialNumber = 0;
  uint8_t firmwareVersion = 0;  // one byte on the line
  uint16_t firmwareBuild = 0;
  uint32_t batchCode = 0;

  /// The controller's settings: replies are read from it and writes stored into it. Its
  /// ProductID is what identification answers, and FuncFlags, Address and CapFlags are what
  /// 0x07 answers; Address is also byte 0 of every reply.
  TCONFIG_BLOCK config;

  MeasurementSetup measurements;

  /// Memory answered by 0x7E, starting at memoryBase; addresses outside read 0xFF.
  Bytes memory;
  uint16_t memoryBase = 0;

  // Behaviour on the line.
  bool silent = false;        // never answers
  uint8_t answerFromTry = 0;  // identification requests with a lower try number go unanswered
  uint32_t answerLimit = 0;   // answers only this many requests, then falls silent (0: no limit)
  bool splitReplies = false;  // each reply goes out in two writes: 5 bytes, a pause, the rest
  unsigned splitPauseMs = 5;
  bool lineNoise = false;  // random bytes before and after each reply, never inside it
  uint32_t noiseSeed = 1;
  unsigned damageEvery = 0;                   // every n-th reply fails its check on the line (0: none)
  unsigned replyDelayMs = 0;                  // pause before each reply
  std::map<uint8_t, Alteration> alterations;  // by command code, applied to written values

  // On a bench port.
  bool unplugged = false;          // the port starts empty: nothing answers until a Plug
  unsigned vanishAfterWrites = 0;  // taken away right after answering this many writes (0: never)
};

/// Number of rows DefaultSetup accepts (the device type table's).
int DefaultSetupRows();

/// A plausible controller of device type row 0..3: the row's product code, a model text,
/// serial, firmware 123 build 7, a batch code and a configuration of the samples of the
/// fields the row holds (12 V lead-acid presets, every channel of the row at work mode 1)
/// with a few timing segments. Throws std::out_of_range for another row.
ControllerSetup DefaultSetup(int row, FieldTable fields = ConfigFields());

/// The factory data area that 0x7E reads, built from the controller's identity (model text,
/// product code, serial, batch code); DefaultSetup sets it as the memory.
Bytes FactoryMemory(const ControllerSetup& setup);
/// DefaultSetup(row) as a unit of a bus: at `address`, with its own serial number (and the
/// factory memory that names it).
ControllerSetup BusUnit(int row, uint8_t address, uint32_t serial);

}  // namespace lum::sim
