// The titles of a graph's axes, read from what its series' expressions compute, so that a
// person sees the unit without knowing the expressions:
//
//   100 * (800*{matrixSDOctets}/({$time}*10000000))   "Per cent"
//   ({matrixSDErrors}/{matrixSDPkts})*100             "Per cent"
//   {matrixSDOctets}                                  "Bytes per 5 s"
//   {matrixSDPkts} and {matrixSDErrors}               "Packets and Errors per 5 s"
//
// An expression scaled by 100 at its outside is a percentage; a lone column is a count per
// poll interval, named after the column (Octets are bytes, Pkts packets). Series of other
// shapes, or of mixed kinds, leave the value axis untitled. Every text goes through Localize.
#pragma once

#include <QString>

#include <string>
#include <vector>

// The title whole ("Bytes per 5 s", "Per cent") and brief, for a small chart ("Bytes", "%").
struct ValueAxisTitles {
    QString full;
    QString brief;
};

ValueAxisTitles ValueAxisTitle(const std::vector<std::string>& expressions, unsigned intervalMs);
QString TimeAxisTitle();
