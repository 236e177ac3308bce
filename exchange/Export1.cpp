// The table writers arrive with the export feature.
