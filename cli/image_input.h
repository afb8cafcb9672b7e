#ifndef TARNWICK_CLI_IMAGE_INPUT_H_
#define TARNWICK_CLI_IMAGE_INPUT_H_

#include <string>
#include <vector>

#include "chip/parts.h"
#include "cli/cli.h"
#include "cli/options.h"
#include "cli/run_report.h"
#include "image/chip_image.h"
#include "image/image_file.h"

// The image file a command names, as it reads it.
struct ImageInput {
  ChipImage image;
  ImageFormat format = ImageFormat::kRaw;  // as it was read
  std::string name;  // in messages: the file, or "standard input"
};

// Loads the command's FILE ("-": standard input, which a stop signal ends)
// for a chip of `size` bytes, in the format --format or its name or
// content says. Returns the exit code; a refusal is told through `report`.
int LoadImageInput(const CliOptions& options, CliEnv& env, RunReport& report,
                   uint32_t size, ImageInput* input);

// Loads the image chips are written or compared with: for the part --part
// names, and fitted to it, else for the largest part, to be fitted once the
// part is known. Into *parts, the parts it may go to: the one named, or
// each; with --expect-sum or --expect-crc, those whose chip image has them,
// refused (MatchExpectedSums) when none has. Returns the exit code.
int LoadImageForChips(const CliOptions& options, CliEnv& env,
                      RunReport& report, ImageInput* input,
                      std::vector<const Part*>* parts);

// Tells a fault of the image file as "FILE:LINE: what" (or "FILE: what"),
// and returns exit code 2.
int ImageFault(RunReport& report, const std::string& name,
               const ImageError& error);

// The parts of the table, one for each size, smallest first.
std::vector<const Part*> PartSizes();

// Of `parts`, those the image fits whose chip image has the checksums
// --expect-sum and --expect-crc ask for (all it fits without either
// option), into *matching. When it fits none, or none has them, the
// refusal, with the values each part's chip image has, is told through
// `report` and its exit code (2) returned; otherwise 0.
int MatchExpectedSums(const CliOptions& options, const ImageInput& input,
                      const std::vector<const Part*>& parts, RunReport& report,
                      std::vector<const Part*>* matching);

#endif  // TARNWICK_CLI_IMAGE_INPUT_H_
