// e2e.h -- what the end-to-end tests of every platform check against.
#pragma once

#include "audio/audio_output.h"
#include "processes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

using Frame = std::vector<uint8_t>; // 240 x 320, blue green red, top row first

// What the scripted platform shows: the play view, and the editor of a chord not set yet.
// An expression true once the page's service worker is active: a page loaded from here on is
// served from its cache. The worker never takes over the page that installed it.
inline constexpr char WorkerActive[] =
    "(navigator.serviceWorker.ready.then((r) => (window.workerActive = !!r.active)), "
    "!!window.workerActive)";
// The states of the worker's installing, waiting and active versions ("none" without one), as
// read at the call before.
inline constexpr char WorkerStates[] =
    "(navigator.serviceWorker.getRegistration().then((r) => (window.workerStates = r ? "
    "[r.installing, r.waiting, r.active].map((w) => w && w.state).join() : 'none')), "
    "window.workerStates)";
const Frame& playView();
const Frame& editorView();

// The recording holds the six strings struck from string 5 to string 0 (open, or at these
// frets), each note whole from its onset, mixed as the voices mix, and nothing else; the notes
// start on the boundaries of blocks of `blockSamples`.
void expectStrum(const std::vector<int16_t>& heard, const int* frets = nullptr,
                 uint32_t blockSamples = OutputBlockSamples);

// Polls `capture` until it gives `expected` (of `width` pixels a row), for up to 10 s; on a
// mismatch, says which pixel differs first.
::testing::AssertionResult frameWithin(const std::function<Frame()>& capture, const Frame& expected,
                                       int width = 240);
