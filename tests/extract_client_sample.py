#!/usr/bin/env python3
"""Writes the text of the C string constant kClientSample, found in SOURCE, to OUTPUT as it reads.

Usage: extract_client_sample.py SOURCE OUTPUT
"""
import ast
import re
import sys

if len(sys.argv) != 3:
    sys.exit(__doc__)
with open(sys.argv[1], encoding='latin-1') as source:
    found = re.search(r'\bkClientSample\[\]\s*=((?:\s*"(?:[^"\\\n]|\\.)*")+)\s*;', source.read())
if not found:
    sys.exit('no kClientSample[] = "..."; of string literals alone in ' + sys.argv[1])
# In parentheses Python joins adjacent literals as C does; it reads these escapes alike.
odd = set(re.findall(r'\\(.)', found.group(1))) - set('nrt"\\')
if odd:
    sys.exit('kClientSample holds an escape Python may read otherwise: \\' + ' \\'.join(odd))
with open(sys.argv[2], 'wb') as output:
    output.write(ast.literal_eval('(' + found.group(1) + ')').encode('latin-1'))
