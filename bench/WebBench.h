#pragma once

class BenchFigures;
struct BenchScale;

// The web view's figure: /api/testers of a station of sixteen testers,
// asked over HTTP on loopback (web_testers_ms_16).
void PrintWebFigures(const BenchScale &scale, BenchFigures &figures);
