KORVELIN 1.0.0: genotypes under hypothesis 1 of genepop-two-sites.csv; populations North; South
Locus1
Pop
N1 , 000000
N5 , 000000
N2 , 101102
N3 , 199199
N_4 , 000000
Pop
S5 , 000000
S3 , 101102
S2 , 199199
S1 , 000000
S4 , 000000
