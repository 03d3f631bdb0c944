// colour table construction
