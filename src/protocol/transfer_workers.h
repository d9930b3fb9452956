// The three transfer workers: a pipelined range read, the full configuration write and the
// ID-tag write. Each is a thread body: it returns the exit code, 1 for success, 0 for failure.
#pragma once

#include "model/config_image.h"
#include "protocol/transfer_line.h"
#include "protocol/transfer_ranges.h"

namespace r4860::protocol {

class Link;

// Publishes done/total as a rounded percentage (at most 100) in the link's TransferProgress. A
// new percentage holds the worker until the runner has taken it, at most 5 s.
void ReportProgress(Link& link, int done, int total, int& lastReported);

// The workers run on the link's transfer slot with the listener stopped; the link supplies the
// TransferRunning flag, the progress and its two events. `line` is the link's port in use.

// Reads `ranges` four bytes a frame into the image, then the inner code version into bytes
// 2048..2051. A block lands in the image only when its reply repeats the requested address.
int ReadImageWorker(TransferLine& line, Link& link, const ReadRanges& ranges, model::ConfigImage& image);
// Opens a write, sends the 37 blocks of the written areas, byte 0xFC and the two checksum
// registers; a write that fails while still running is followed by a reset of the transducer.
int WriteImageWorker(TransferLine& line, Link& link, const model::ConfigImage& image);
// Sends the ID tag block 0x6C..0x7B.
int WriteUserBlockWorker(TransferLine& line, Link& link, const model::ConfigImage& image);

}  // namespace r4860::protocol
