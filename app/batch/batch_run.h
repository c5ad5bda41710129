// Batches: many files imported in parallel by long-lived worker processes, file after
// file, with a time limit per file, so a file that crashes or hangs the importer costs only
// its own result (and a fresh worker takes the next file).
#pragma once

#include "app/batch/import_options.h"
#include "app/workers/worker_process.h"

namespace zenthor {

// Runs the batch of `options.inputs` into `options.outDir` with workers started as `worker`
// says (SelfWorkerCommand); progress on standard error when it is a terminal, one summary
// line on standard output. kExitSuccess when every file was imported, kExitFailure
// otherwise (kExitLeftOut with `strict` when all were, but something was left out).
int RunBatch(const ImportOptions& options, const WorkerCommand& worker);

}  // namespace zenthor
