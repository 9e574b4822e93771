// The plot layout writer: fills the layout and style templates of the
// plotting program with axis ranges and annotation texts and writes the
// annotation file.  Its routines are declared here as they are added.
#pragma once
