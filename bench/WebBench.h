#pragma once

class BenchFigures;
struct BenchScale;

// The web view's figures, over HTTP on loopback: /api/testers of a station
// of sixteen testers (web_testers_ms_16); the memory this process grows by
// while a client streams 300 MB of body at a request refused on its head
// (web_body_*_rss_growth_mb); and the time an authorized request takes
// while another process holds 1,100 idle connections and this one may open
// at most 1,024 files (web_answer_ms_1100_idle).
void printWebFigures(const BenchScale &scale, BenchFigures &figures);
