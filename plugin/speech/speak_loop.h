// The worker thread's message loop: speak requests, the speak key and the
// silence key.
#pragma once

// Runs until WM_WORKER_QUIT arrives.
void RunSpeakLoop();

// Any thread: have the worker release its voices at its next round.
void RequestVoiceRelease();
