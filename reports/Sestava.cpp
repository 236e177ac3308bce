// The report engine arrives with the reports feature.
